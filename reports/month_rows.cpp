#include "reports/month_rows.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace MonthRows {

bool read(const ReportRequest &request, const QString &statement, const Take &take, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(request.connectionName, false));
    q.setForwardOnly(true);
    if (!q.prepare(statement)) {
        *error = q.lastError().text();
        return false;
    }
    q.bindValue(QStringLiteral(":paramM_YEAR"), request.period.year);
    q.bindValue(QStringLiteral(":paramM_MONTH"), request.period.month);
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    while (q.next())
        take(q);
    return true;
}

} // namespace MonthRows
