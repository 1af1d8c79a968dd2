#include "db/month_claim.h"

#include "db/database.h"
#include "db/dialect.h"
#include "db/engine_message.h"
#include "db/statement_runner.h"
#include "db/stored_rows.h"

#include <QSqlDatabase>

MonthClaim::MonthClaim(QString table, int year, int month, QString institution, Purpose purpose)
    : m_table(std::move(table)), m_year(year), m_month(month), m_institution(std::move(institution)),
      m_purpose(purpose)
{
}

QString MonthClaim::lockKey() const
{
    return QStringLiteral("%1|%2|%3|%4").arg(m_table.toUpper(), m_institution.trimmed()).arg(m_year).arg(m_month);
}

bool MonthClaim::lock(const QString &connectionName, QString *error) const
{
    const QString lock = Database::dialect(connectionName).monthLockStatement();
    if (lock.isEmpty())
        return true;
    QString detail;
    if (StatementRunner::run(connectionName, lock, {{QStringLiteral("claimKey"), lockKey()}}, &detail) >= 0)
        return true;
    // The engine's busy words are said in the month's terms.
    *error = detail == EngineMessage::busy() ? EngineMessage::monthInUse() : detail;
    return false;
}

bool MonthClaim::holds(const QString &connectionName, QString *error) const
{
    if (!lock(connectionName, error))
        return false;
    QString statement = QStringLiteral("select 1 from %1 where M_YEAR = :claimYear and M_MONTH = :claimMonth")
                            .arg(m_table);
    QVariantMap params{{QStringLiteral("claimYear"), m_year}, {QStringLiteral("claimMonth"), m_month}};
    if (!m_institution.isEmpty()) {
        statement += QStringLiteral(" and BANK_CODE = :claimBank");
        params.insert(QStringLiteral("claimBank"), m_institution);
    }
    statement += QStringLiteral(" limit 1");
    const std::optional<bool> stored = StoredRows::any(statement, params, error, connectionName);
    if (!stored)
        return false;
    if (m_purpose == Purpose::Add && *stored) {
        *error = EngineMessage::monthStoredByOther();
        return false;
    }
    if (m_purpose != Purpose::Add && !*stored) {
        *error = EngineMessage::changedByOther(m_purpose == Purpose::Delete);
        return false;
    }
    return true;
}
