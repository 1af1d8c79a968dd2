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
    if (q.exec(QStringLiteral("savepoint %1").arg(m_name))) {
        m_active = true;
        return;
    }
    // SQLite begins a transaction for a savepoint outside one; the server
    // refuses it ("no transaction"), and the savepoint begins its own.
    if (!EngineMessage::isOutsideTransaction(q.lastError())) {
        m_error = EngineMessage::of(q.lastError());
        return;
    }
    if (!q.exec(QStringLiteral("begin"))) {
        m_error = EngineMessage::of(q.lastError());
        return;
    }
    m_ownsTransaction = true;
    if (q.exec(QStringLiteral("savepoint %1").arg(m_name))) {
        m_active = true;
        return;
    }
    m_error = EngineMessage::of(q.lastError());
    q.exec(QStringLiteral("rollback"));
    m_ownsTransaction = false;
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
    if (q.exec(QStringLiteral("release %1").arg(m_name))
        && (!m_ownsTransaction || q.exec(QStringLiteral("commit")))) {
        m_active = false;
        m_ownsTransaction = false;
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
    if (m_ownsTransaction) {
        m_ownsTransaction = false;
        q.exec(QStringLiteral("rollback"));
        return;
    }
    // Also what ends the server's "aborted" state after a failed statement,
    // so that the caller's transaction goes on.
    q.exec(QStringLiteral("rollback to %1").arg(m_name));
    q.exec(QStringLiteral("release %1").arg(m_name));
}
