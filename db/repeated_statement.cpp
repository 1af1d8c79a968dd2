#include "db/repeated_statement.h"

#include "db/sqlite_statement.h"
#include "db/statement_runner.h"

#include <QSqlDatabase>

RepeatedStatement::RepeatedStatement(QString connectionName, QString sql, QVariantMap params)
    : m_connectionName(std::move(connectionName)), m_sql(std::move(sql)), m_params(std::move(params))
{
}

RepeatedStatement::~RepeatedStatement() = default;

int RepeatedStatement::run(QString *error)
{
    if (!m_prepared) {
        sqlite3 *handle = SqliteStatement::handleOf(QSqlDatabase::database(m_connectionName, false));
        if (!handle)
            return StatementRunner::run(m_connectionName, m_sql, m_params, error);
        auto prepared = std::make_unique<SqliteStatement>(handle);
        if (!prepared->prepare(m_sql) || !prepared->bindNamed(m_sql, m_params)) {
            *error = prepared->error();
            return -1;
        }
        m_prepared = std::move(prepared);
    }
    if (!m_prepared->exec()) {
        *error = m_prepared->error();
        return -1;
    }
    return m_prepared->changes();
}
