#include "reports/check_report_table.h"

#include "common/number_picture.h"
#include "reports/remark_lines.h"

namespace CheckReportTable {

QList<ReportDefinition::Column> columns()
{
    using Fit = ReportDefinition::Fit;
    return {
        {QStringLiteral("公       式      說      明"), 120, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("左式金額"), 35, Qt::AlignRight, Fit::Shrink},
        {QStringLiteral("右式金額"), 35, Qt::AlignRight, Fit::Shrink},
    };
}

QList<ReportRow> rows(const QList<CheckResultRow> &results, QStringView picture)
{
    // A value the check cannot hold is printed in words, never as a clamped number.
    auto money = [picture](const std::optional<CheckValue> &value) {
        if (!value)
            return QString();
        return value->decimal() ? NumberPicture::format(value->decimal()->toDouble(), picture)
                                : CheckValue::OutOfRangeText;
    };
    QList<ReportRow> printed;
    printed.reserve(results.size());
    for (const CheckResultRow &row : results)
        printed.append({{RemarkLines::twoLines(row.remark), money(row.left), money(row.right)}, {}});
    return printed;
}

} // namespace CheckReportTable
