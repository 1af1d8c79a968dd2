#pragma once

#include "checks/check_result_row.h"
#include "reports/report_definition.h"
#include "reports/report_row.h"

#include <QList>
#include <QStringView>

// The table both check reports print their result rows in: the remark over two
// lines (Big5 bytes 1 to 60, then the rest), then the left and the right side's
// value, right-aligned in the report's picture. A missing-account row has no
// values and prints two empty cells.
namespace CheckReportTable {

// The two value columns carry the report's picture.
QList<ReportDefinition::Column> columns(const QString &picture);

// One printed row per result row, in their order.
QList<ReportRow> rows(const QList<CheckResultRow> &results, const QString &picture);

} // namespace CheckReportTable
