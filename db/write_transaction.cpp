#include "db/write_transaction.h"

#include "db/cached_dataset.h"
#include "db/dialect.h"
#include "db/engine_message.h"

#include <QSqlError>
#include <QSqlQuery>

WriteTransaction::WriteTransaction(const QSqlDatabase &db)
    : m_db(db)
{
    if (!m_db.isOpen()) {
        m_error = EngineMessage::connectionClosed(m_db.connectionName());
        return;
    }
    // A query of the connection still reading its rows (CachedDataset reads a
    // long result in parts) reads them now: whether a statement still running
    // sees what its own connection writes is left undefined by SQLite.
    CachedDataset::fetchAllOn(m_db.connectionName());
    // Not QSqlDatabase::transaction(): on SQLite its plain "begin" takes the
    // write lock only at the first write, after the reads it should protect.
    QSqlQuery q(m_db);
    if (q.exec(Dialect::forDriver(m_db.driverName()).beginWrite()))
        m_active = true;
    else
        m_error = EngineMessage::of(q.lastError());
}

WriteTransaction::~WriteTransaction()
{
    rollback();
}

bool WriteTransaction::commit()
{
    if (!m_active)
        return false;
    QSqlQuery q(m_db);
    if (q.exec(QStringLiteral("commit"))) {
        m_active = false;
        return true;
    }
    m_error = EngineMessage::of(q.lastError());
    rollback();
    return false;
}

void WriteTransaction::rollback()
{
    if (!m_active)
        return;
    m_active = false;
    QSqlQuery q(m_db);
    q.exec(QStringLiteral("rollback"));
}
