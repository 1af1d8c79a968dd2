#include "ui/amount_delegate.h"

#include "common/number_picture.h"
#include "ui/amount_validator.h"

#include <QLineEdit>

QWidget *AmountDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                      const QModelIndex &) const
{
    auto *editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("amountEditor"));
    editor->setValidator(new AmountValidator(editor));
    editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    editor->setFrame(false);
    return editor;
}

void AmountDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line)
        return;
    const QVariant value = index.data(Qt::EditRole);
    QString text;
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float
        || value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
        text = NumberPicture::format(value.toDouble(), u"#.###");
    } else {
        text = value.toString();
    }
    line->setText(text);   // clears the modified flag
}

QString AmountDelegate::commit(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line)
        return CellDelegate::commit(editor, model, index);
    if (!line->isModified() || !line->hasAcceptableInput())
        return {};   // untouched, or not a number yet: the stored value stays
    const QString text = line->text().trimmed();
    if (m_limit) {
        if (const QString why = m_limit(index, text); !why.isEmpty())
            return refusal(index, why);
    }
    if (AmountValidator::significantDigits(text) > AmountValidator::MaxSignificantDigits) {
        return refusal(index, QStringLiteral("數值 %1 超過 %2 位有效數字")
                                  .arg(shortened(text))
                                  .arg(AmountValidator::MaxSignificantDigits));
    }
    double amount = 0;
    if (!NumberPicture::parseAmount(text, &amount))
        return refusal(index, QStringLiteral("數值過大: %1").arg(shortened(text)));
    if (!model->setData(index, amount, Qt::EditRole))
        return refusalOf(model, index, text);
    line->setModified(false);
    return {};
}
