#pragma once

#include "common/period.h"
#include "reports/report_definition.h"
#include "reports/report_outcome.h"
#include "reports/report_request.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

class QSqlQuery;

// A report that prints one line per row of one query: the operating data
// detail, the county detail, the overdue ratios and the two bills statistics. Each of them is a
// description (the statement in parts, the columns, how a row of the query
// becomes a line); this class runs it the same way for all of them.
//
// The title block is the one these reports share: institution, printing date,
// period and unit. A query that finds no row gives the plain message
// "查無符合資料理!!" instead of a report.
struct QueryReport
{
    using Line = std::function<ReportRow(const QSqlQuery &)>;

    // What a year or month of 0 does to the rows.
    enum class ZeroPeriod {
        MatchesNothing,   // the period always restricts: no row has year or month 0
        MatchesEvery,     // that part of the period is left out of the statement
    };

    ReportDefinition definition;   // title, columns, pages; the title fields are filled in
    QString select;                // "select ... from ..."
    QStringList conditions;        // always applied: "B.ACC_CODE=A.ACC_CODE"
    QVariantMap bindings;          // the parameters the conditions name: {":SHSIEN_ID", "A"}
    QString periodTable;           // alias of the table whose M_YEAR and M_MONTH are the period
    ZeroPeriod zeroPeriod = ZeroPeriod::MatchesNothing;
    QString order;                 // "order by ..."; end it with the rowid where ties must keep stored order
    Line line;

    // The statement for a period; the period's parameters are :paramM_YEAR and
    // :paramM_MONTH, present only when that part restricts the rows.
    QString statement(const Period &period) const;

    ReportOutcome build(const ReportRequest &request) const;

    // What these reports say when they find no row: "查無符合資料理!!", plain.
    static ReportOutcome nothingFound();

private:
    bool restrictsYear(const Period &period) const;
    bool restrictsMonth(const Period &period) const;
};
