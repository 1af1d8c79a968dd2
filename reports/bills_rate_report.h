#pragma once

#include "reports/query_report.h"
#include "reports/report_outcome.h"
#include "reports/report_request.h"

// "兼營票券利率業務統計表": one line per EM08 row (of every institution) with
// its market, term, kind of bill and kind of rate as labels and the rate as its
// plain number text, by year, month and the four codes. A year or month of 0
// leaves that part of the period open. The unit is printed, never applied.
namespace BillsRateReport {

inline constexpr auto Title = "兼營票券利率業務統計表";

QueryReport description();

ReportOutcome build(const ReportRequest &request);

} // namespace BillsRateReport
