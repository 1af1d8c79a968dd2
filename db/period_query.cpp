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
