#include "db/stored_rows.h"

#include "db/engine_message.h"

#include <QSqlError>
#include <QSqlQuery>

namespace StoredRows {

std::optional<bool> any(const QString &statement, const QVariantMap &params, QString *error,
                        const QString &connectionName)
{
    QSqlQuery query(Database::connection(connectionName));
    query.setForwardOnly(true);
    bool ran = query.prepare(statement);
    if (ran) {
        for (auto it = params.constBegin(); it != params.constEnd(); ++it)
            query.bindValue(u':' + it.key(), it.value());
        ran = query.exec();
    }
    if (!ran) {
        *error = EngineMessage::of(query.lastError());
        return std::nullopt;
    }
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
