#include "db/stored_rows.h"

#include "db/statement_runner.h"

#include <QSqlQuery>

namespace StoredRows {

std::optional<bool> any(const QString &statement, const QVariantMap &params, QString *error,
                        const QString &connectionName)
{
    QSqlQuery query(Database::connection(connectionName));
    if (!StatementRunner::select(query, connectionName, statement, params, error))
        return std::nullopt;
    return query.next();
}

std::optional<bool> ofPeriod(const QString &table, int year, int month, QString *error,
                             const QString &connectionName)
{
    // One row is enough: a month is stored or it is not.
    const QString statement = QStringLiteral("select 1 from %1 where M_YEAR = :paramM_YEAR "
                                             "and M_MONTH = :paramM_MONTH limit 1")
                                  .arg(table);
    return any(statement, {{QStringLiteral("paramM_YEAR"), year}, {QStringLiteral("paramM_MONTH"), month}}, error,
               connectionName);
}

} // namespace StoredRows
