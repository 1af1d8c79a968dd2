#include "reports/check_report_table.h"

#include "common/number_picture.h"
#include "reports/remark_lines.h"

namespace CheckReportTable {

QList<ReportDefinition::Column> columns(const QString &picture)
{
    using Fit = ReportDefinition::Fit;
    return {
        {QStringLiteral("公       式      說      明"), 120, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("左式金額"), 35, Qt::AlignRight, Fit::Shrink, picture},
        {QStringLiteral("右式金額"), 35, Qt::AlignRight, Fit::Shrink, picture},
    };
}

QList<ReportRow> rows(const QList<CheckResultRow> &results, const QString &picture)
{
    // A value the check cannot hold is printed in words, never as a clamped number.
    auto money = [picture](const std::optional<CheckValue> &value) {
        if (!value)
            return QString();
        return value->decimal() ? NumberPicture::format(value->decimal()->toDouble(), picture)
                                : CheckValue::OutOfRangeText;
    };
    // A value out of range has no figure: the workbook writes its words as printed.
    auto figure = [](const std::optional<CheckValue> &value) {
        return value && value->decimal() ? QVariant(value->decimal()->toDouble()) : QVariant();
    };
    QList<ReportRow> printed;
    printed.reserve(results.size());
    for (const CheckResultRow &row : results)
        printed.append({{RemarkLines::twoLines(row.remark), money(row.left), money(row.right)},
                        {},
                        {QVariant(), figure(row.left), figure(row.right)}});
    return printed;
}

} // namespace CheckReportTable
