#pragma once

#include "checks/check_result_row.h"
#include "reports/report_outcome.h"
#include "reports/report_request.h"

#include <QList>

// "營運資料明細檢核表": the balance formulas judged over one month's operating
// amounts (of every institution: an account's first amount row in code order
// counts) by the same evaluator as the check window, then the accounts without
// an amount row. The remark prints over two lines; the unit is not used.
//
// Messages instead of a report: "查無符合資料!!!" when the month has no amount
// row, "資料完全符合!!!" (a warning) when every formula holds and no account is
// missing.
namespace OperatingCheckReport {

inline constexpr auto Title = "營運資料明細檢核表";

ReportOutcome build(const ReportRequest &request);

// The report of result rows already judged (the bench lays out many of them).
ReportOutcome fromRows(const ReportRequest &request, const QString &bankName, const QList<CheckResultRow> &rows);

} // namespace OperatingCheckReport
