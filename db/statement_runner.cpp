#include "db/statement_runner.h"

#include "db/database.h"
#include "db/dialect.h"
#include "db/engine_message.h"
#include "db/named_placeholders.h"
#include "db/sqlite_statement.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>

namespace StatementRunner {

namespace {

bool execute(QSqlQuery &q, const QString &connectionName, const QString &sql, const QVariantMap &params,
             QString *error)
{
    if (!QSqlDatabase::database(connectionName, false).isOpen()) {
        *error = EngineMessage::connectionClosed(connectionName);
        return false;
    }
    q.setForwardOnly(true);
    if (Database::dialect(connectionName).isServer()) {
        // A statement run once goes to a server as one message. Prepared, the
        // driver would send PREPARE, EXECUTE and DEALLOCATE: three round trips.
        // The values are written into the text as the driver writes them into
        // the EXECUTE of a prepared statement (its own quoting and escaping).
        const QSqlDriver *driver = q.driver();
        const QString text = NamedPlaceholders::replaced(sql, [&](const QString &name) {
            const QVariant value = params.value(name);
            QSqlField field(name, value.metaType());
            field.setValue(value);
            return driver->formatValue(field);
        });
        if (!q.exec(text)) {
            *error = EngineMessage::of(q.lastError());
            return false;
        }
        return true;
    }
    if (!q.prepare(sql)) {
        *error = EngineMessage::of(q.lastError());
        return false;
    }
    for (const QString &name : NamedPlaceholders::in(sql))
        q.bindValue(u':' + name, params.value(name));
    if (!q.exec()) {
        *error = EngineMessage::of(q.lastError());
        return false;
    }
    return true;
}

} // namespace

bool select(QSqlQuery &q, const QString &connectionName, const QString &sql, const QVariantMap &params,
            QString *error)
{
    return execute(q, connectionName, sql, params, error);
}

int run(const QString &connectionName, const QString &sql, const QVariantMap &params, QString *error)
{
    // On SQLite straight to the engine: Qt's preparing and binding by name
    // cost more than a small statement itself (a save writes its history so).
    if (sqlite3 *handle = SqliteStatement::handleOf(QSqlDatabase::database(connectionName, false))) {
        SqliteStatement statement(handle);
        if (!statement.prepare(sql) || !statement.bindNamed(sql, params) || !statement.exec()) {
            *error = statement.error();
            return -1;
        }
        return statement.changes();
    }
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    if (!execute(q, connectionName, sql, params, error))
        return -1;
    return q.numRowsAffected();
}

int count(const QString &connectionName, const QString &sql, const QVariantMap &params, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    if (!execute(q, connectionName, sql, params, error))
        return -1;
    if (!q.next()) {
        *error = EngineMessage::of(q.lastError());
        return -1;
    }
    return q.value(0).toInt();
}

} // namespace StatementRunner
