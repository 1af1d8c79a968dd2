#include "ui/cell_delegate.h"

#include "db/cached_dataset.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMetaProperty>

namespace {
constexpr int ShownCharacters = 24;
}

QString CellDelegate::commit(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    // Walking through a cell writes nothing: an untouched value is not written
    // again (which would also mark the row changed).
    if (auto *line = qobject_cast<QLineEdit *>(editor); line && !line->isModified())
        return {};
    const QByteArray property = editor->metaObject()->userProperty().name();
    if (property.isEmpty())
        return {};
    const QVariant value = editor->property(property.constData());
    if (value == index.data(Qt::EditRole))
        return {};
    if (!model->setData(index, value, Qt::EditRole))
        return refusalOf(model, index, value.toString());
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setModified(false);
    return {};
}

void CellDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    commit(editor, model, index);
}

QString CellDelegate::editorText(const QWidget *editor) const
{
    if (auto *line = qobject_cast<const QLineEdit *>(editor))
        return line->text();
    if (auto *combo = qobject_cast<const QComboBox *>(editor))
        return combo->currentText();
    return {};
}

void CellDelegate::restoreText(QWidget *editor, const QString &text) const
{
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        line->setText(text);
        line->setModified(true);   // typed, not loaded: it is written on the next commit
    } else if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        combo->setEditText(text);
    }
}

void CellDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (m_alignment)
        option->displayAlignment = *m_alignment;
}

QString CellDelegate::refusal(const QModelIndex &index, const QString &why)
{
    const QAbstractItemModel *model = index.model();
    const QString title = model ? model->headerData(index.column(), Qt::Horizontal).toString().simplified()
                                : QString();
    return QStringLiteral("「%1」%2").arg(title, why);
}

QString CellDelegate::refusalOf(const QAbstractItemModel *model, const QModelIndex &index, const QString &typed)
{
    if (auto *dataset = qobject_cast<const CachedDataset *>(model); dataset && !dataset->lastError().isEmpty()) {
        // The dataset quotes the whole value, as a file's refusal must; a box
        // shows it shortened like every refusal typed into a cell.
        QString message = dataset->lastError();
        const qsizetype at = typed.isEmpty() ? -1 : message.lastIndexOf(typed);
        if (at >= 0)
            message.replace(at, typed.size(), shortened(typed));
        return message;
    }
    return refusal(index, QStringLiteral("無法存入此值"));
}

QString CellDelegate::shortened(const QString &typed)
{
    return typed.size() <= ShownCharacters ? typed : typed.left(ShownCharacters - 4) + QStringLiteral("...");
}
