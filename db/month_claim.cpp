#include "db/month_claim.h"

#include "db/engine_message.h"
#include "db/stored_rows.h"

MonthClaim::MonthClaim(QString table, int year, int month, QString institution, Purpose purpose)
    : m_table(std::move(table)), m_year(year), m_month(month), m_institution(std::move(institution)),
      m_purpose(purpose)
{
}

bool MonthClaim::holds(const QString &connectionName, QString *error) const
{
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
