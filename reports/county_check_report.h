#pragma once

#include "checks/check_result_row.h"
#include "reports/report_outcome.h"
#include "reports/report_request.h"

#include <QList>

// "銀行縣市別營運資料檢核表": the county formulas judged over one month's county
// amounts (of every institution: a county and account's first row in code
// order counts) by the county check of the county tab, once for every county of
// CD01 in code order, each county's failing formulas followed by its missing
// accounts. The remark prints over two lines, the two values as whole numbers
// with digit groups. The title block has the printing date and the period only.
//
// Instead of a report: nothing at all in the windows for a month without
// county data (velq8-cli says "查無符合資料!!!"); the warning "資料完全符合!!!"
// when every formula holds and no account is missing.
namespace CountyCheckReport {

inline constexpr auto Title = "銀行縣市別營運資料檢核表";

ReportOutcome build(const ReportRequest &request);

// The report of result rows already judged.
ReportOutcome fromRows(const ReportRequest &request, const QList<CheckResultRow> &rows);

} // namespace CountyCheckReport
