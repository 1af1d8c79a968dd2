#include "db/period_query.h"

QString PeriodQuery::statement(bool byYear, bool byMonth) const
{
    QString sql = head;
    if (byYear)
        sql += yearFilter;
    if (byMonth)
        sql += monthFilter;
    sql += byYear && byMonth && !orderFullPeriod.isEmpty() ? orderFullPeriod : order;
    return sql;
}

QString PeriodQuery::rowidStatement(bool byYear, bool byMonth) const
{
    // The head's own from and where, with the rowid as the only column.
    const qsizetype from = head.indexOf(QLatin1String("from "), 0, Qt::CaseInsensitive);
    if (rowidColumn.isEmpty() || from < 0)
        return {};
    QString sql = QStringLiteral("select %1 ").arg(rowidColumn) + head.mid(from);
    if (byYear)
        sql += yearFilter;
    if (byMonth)
        sql += monthFilter;
    return sql;
}
