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

void AmountDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                  const QModelIndex &index) const
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    if (!line->isModified() || !line->hasAcceptableInput())
        return;   // untouched or not a number: the stored value stays
    double amount = 0;
    if (!NumberPicture::parseAmount(line->text(), &amount))
        return;
    if (model->setData(index, amount, Qt::EditRole))
        line->setModified(false);
}
