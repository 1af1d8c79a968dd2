#pragma once

#include "reports/query_report.h"
#include "reports/report_outcome.h"
#include "reports/report_request.h"

// "兼營票券交易業務統計表": one line per EM09 row (of every institution) with
// its range, direction and kind of bill as labels, the number of deals with the
// picture ",#" and the amount with ",#.###", by year, month and the three codes.
// A year or month of 0 leaves that part of the period open. The unit is
// printed, never applied: the amounts print as stored.
namespace BillsTradingReport {

inline constexpr auto Title = "兼營票券交易業務統計表";

QueryReport description();

ReportOutcome build(const ReportRequest &request);

} // namespace BillsTradingReport
