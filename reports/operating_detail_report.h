#pragma once

#include "reports/amount_unit.h"
#include "reports/query_report.h"
#include "reports/report_outcome.h"
#include "reports/report_request.h"

// "營運資料明細表": every operating amount of one month, of every institution,
// in SERIAL order, with the account's name, scaled to the chosen unit. Rows
// whose account is not in CACNO are left out by the join; a year or month of 0
// matches no row.
namespace OperatingDetailReport {

inline constexpr auto Title = "營運資料明細表";

// The report for the unit: the amount divided in the select list.
QueryReport description(AmountUnit unit);

ReportOutcome build(const ReportRequest &request);

} // namespace OperatingDetailReport
