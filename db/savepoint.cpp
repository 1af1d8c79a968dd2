#include "db/savepoint.h"

#include "db/engine_message.h"

#include <QSqlError>
#include <QSqlQuery>

Savepoint::Savepoint(const QSqlDatabase &db, const QString &name)
    : m_db(db), m_name(name)
{
    if (!m_db.isOpen()) {
        m_error = EngineMessage::connectionClosed(m_db.connectionName());
        return;
    }
    QSqlQuery q(m_db);
    if (q.exec(QStringLiteral("savepoint %1").arg(m_name)))
        m_active = true;
    else
        m_error = EngineMessage::of(q.lastError());
}

Savepoint::~Savepoint()
{
    if (m_active)
        rollback();
}

bool Savepoint::release()
{
    if (!m_active)
        return false;
    QSqlQuery q(m_db);
    if (q.exec(QStringLiteral("release %1").arg(m_name))) {
        m_active = false;
        return true;
    }
    m_error = EngineMessage::of(q.lastError());
    rollback();
    return false;
}

void Savepoint::rollback()
{
    if (!m_active)
        return;
    m_active = false;
    QSqlQuery q(m_db);
    q.exec(QStringLiteral("rollback to %1").arg(m_name));
    q.exec(QStringLiteral("release %1").arg(m_name));
}
