#include "reports/workbook_number_format.h"

#include "common/number_picture.h"

namespace WorkbookNumberFormat {

QString of(QStringView picture, double value)
{
    if (picture.isEmpty())
        return {};
    const qsizetype point = picture.indexOf(u'.');
    const QStringView decimals = point < 0 ? QStringView() : picture.mid(point + 1);
    // '0' after the point is always printed, '#' only when it is not a trailing zero.
    const bool keepsDecimals = decimals.contains(u'0');
    QString format = picture.contains(u',') ? QStringLiteral("#,##0") : QStringLiteral("0");
    if (!decimals.isEmpty() && (keepsDecimals || NumberPicture::format(value, picture).contains(u'.')))
        format += u'.' + decimals.toString();
    if (keepsDecimals)
        return format;   // zero prints as "0.00"
    return format + QStringLiteral(";-") + format + u';';
}

} // namespace WorkbookNumberFormat
