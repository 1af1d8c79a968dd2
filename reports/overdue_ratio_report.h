#pragma once

#include "reports/query_report.h"
#include "reports/report_outcome.h"
#include "reports/report_request.h"

// "各營業單位逾期放款超過 3%  明細表": the declared overdue loan ratios of the
// business units, of every institution, by year and month and within a month
// from the highest ratio down (equal ratios in stored order). A year or month
// of 0 leaves that part of the period open: 0 and 0 print every declared month,
// 0 and 5 May of every year.
//
// A unit prints as its code, three blanks and its name from BN01; a ratio whose
// unit is not in BN01 is left out by the join. The ratio prints as its plain
// number text (4.5 as "4.5"); the unit of the title block does not scale it.
namespace OverdueRatioReport {

inline constexpr auto Title = "各營業單位逾期放款超過 3%  明細表";

QueryReport description();

ReportOutcome build(const ReportRequest &request);

} // namespace OverdueRatioReport
