#include "reports/query_report.h"

#include "reports/report_title_block.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

bool QueryReport::restrictsYear(const Period &period) const
{
    return zeroPeriod == ZeroPeriod::MatchesNothing || period.year != 0;
}

bool QueryReport::restrictsMonth(const Period &period) const
{
    return zeroPeriod == ZeroPeriod::MatchesNothing || period.month != 0;
}

QString QueryReport::statement(const Period &period) const
{
    QStringList terms = conditions;
    if (restrictsYear(period))
        terms << periodTable + QStringLiteral(".M_YEAR=:paramM_YEAR");
    if (restrictsMonth(period))
        terms << periodTable + QStringLiteral(".M_MONTH=:paramM_MONTH");
    QString sql = select;
    if (!terms.isEmpty())
        sql += QStringLiteral(" where ") + terms.join(QStringLiteral(" and "));
    return sql + u' ' + order;
}

ReportOutcome QueryReport::build(const ReportRequest &request) const
{
    QSqlQuery q(QSqlDatabase::database(request.connectionName, false));
    q.setForwardOnly(true);
    if (!q.prepare(statement(request.period)))
        return ReportOutcome::failed(q.lastError().text());
    // Only the parameters the statement names.
    if (restrictsYear(request.period))
        q.bindValue(QStringLiteral(":paramM_YEAR"), request.period.year);
    if (restrictsMonth(request.period))
        q.bindValue(QStringLiteral(":paramM_MONTH"), request.period.month);
    for (auto it = bindings.cbegin(); it != bindings.cend(); ++it)
        q.bindValue(it.key(), it.value());
    if (!q.exec())
        return ReportOutcome::failed(q.lastError().text());
    QList<ReportRow> rows;
    while (q.next())
        rows.append(line(q));
    if (rows.isEmpty())
        return nothingFound();

    QString bankName, error;
    if (!ReportTitleBlock::declaringInstitutionName(request.connectionName, &bankName, &error))
        return ReportOutcome::failed(error);
    ReportDefinition d = definition;
    d.titleFields = {ReportTitleBlock::institution(bankName), ReportTitleBlock::printedOn(request.printedOn),
                     ReportTitleBlock::periodField(request.period), ReportTitleBlock::unit(request.unit)};
    return ReportOutcome::ready(std::move(d), std::move(rows));
}

ReportOutcome QueryReport::nothingFound()
{
    return ReportOutcome::nothingToPrint(QStringLiteral("查無符合資料理!!"), ReportOutcome::Notice::Plain);
}
