#include "ui/code_delegate.h"

#include <QComboBox>
#include <QLineEdit>

namespace {
// The text the editor was opened with: what is still there was not changed.
const char *const LoadedText = "velq8LoadedText";
}

CodeDelegate::CodeDelegate(Writes writes, QObject *parent)
    : CellDelegate(parent), m_writes(writes)
{
}

QList<CodeDelegate::Item> CodeDelegate::dashed(const QList<std::pair<QString, QString>> &codesAndNames)
{
    QList<Item> items;
    items.reserve(codesAndNames.size());
    for (const auto &[code, name] : codesAndNames)
        items.append({code, code + u'-' + name});
    return items;
}

void CodeDelegate::setItems(const QList<Item> &items)
{
    m_items = items;
    m_byCode.clear();
    m_byText.clear();
    for (int i = 0; i < m_items.size(); ++i) {
        // Of two equal codes or texts the first is the one picked.
        if (!m_byCode.contains(m_items.at(i).code.trimmed()))
            m_byCode.insert(m_items.at(i).code.trimmed(), i);
        if (!m_byText.contains(m_items.at(i).text.trimmed()))
            m_byText.insert(m_items.at(i).text.trimmed(), i);
    }
}

const CodeDelegate::Item *CodeDelegate::resolve(const QString &text) const
{
    const QString key = text.trimmed();
    if (key.isEmpty())
        return nullptr;
    int i = m_byText.value(key, -1);
    if (i < 0)
        i = m_byCode.value(key, -1);
    return i < 0 ? nullptr : &m_items.at(i);
}

QWidget *CodeDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("codeEditor"));
    combo->setEditable(true);
    // A typed "1" stays "1": no completion to "10-公司債", no item added on Enter.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setFrame(false);
    for (const Item &item : m_items)
        combo->addItem(item.text);
    return combo;
}

void CodeDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *combo = qobject_cast<QComboBox *>(editor);
    if (!combo)
        return;
    const QString value = index.data(Qt::EditRole).toString();
    const Item *item = resolve(value);
    if (item)
        combo->setCurrentIndex(int(item - m_items.constData()));
    else
        combo->setEditText(value);
    combo->setProperty(LoadedText, combo->currentText());
}

QString CodeDelegate::commit(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *combo = qobject_cast<QComboBox *>(editor);
    if (!combo)
        return CellDelegate::commit(editor, model, index);
    const QString text = combo->currentText();
    if (text == combo->property(LoadedText).toString())
        return {};   // untouched: the stored value stays as it is
    if (m_writes == Writes::Text) {
        if (!model->setData(index, text, Qt::EditRole))
            return refusalOf(model, index, text);
        combo->setProperty(LoadedText, text);
        return {};
    }
    const Item *item = resolve(text);
    if (!item) {
        return m_unknownMessage.isEmpty()
            ? refusal(index, QStringLiteral("無此代號: %1").arg(shortened(text)))
            : m_unknownMessage;
    }
    const QString written = m_writes == Writes::Code ? item->code : item->text;
    if (!model->setData(index, written, Qt::EditRole))
        return refusalOf(model, index, written);
    combo->setProperty(LoadedText, text);
    return {};
}
