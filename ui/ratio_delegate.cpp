#include "ui/ratio_delegate.h"

#include "common/number_picture.h"

#include <QLineEdit>

QString RatioDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    // The model gives the column's picture; only the leading zero goes.
    return NumberPicture::withoutLeadingZero(AmountDelegate::displayText(value, locale));
}

void RatioDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    AmountDelegate::setEditorData(editor, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setText(NumberPicture::withoutLeadingZero(line->text()));   // still unmodified
}
