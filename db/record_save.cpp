#include "db/record_save.h"

#include "db/cached_dataset.h"
#include "db/database.h"
#include "db/save_history.h"
#include "db/savepoint.h"
#include "db/write_transaction.h"

RecordSave::RecordSave(CachedDataset &rows, QString savepointName)
    : m_rows(rows), m_savepointName(std::move(savepointName))
{
}

bool RecordSave::fail(const QString &error)
{
    m_error = error;
    return false;
}

ChangeOperation::Kind RecordSave::operationKind() const
{
    return m_month && m_month->purpose() == MonthClaim::Purpose::Delete ? ChangeOperation::Kind::MonthDeleted
                                                                        : ChangeOperation::Kind::Keyed;
}

bool RecordSave::run()
{
    m_error.clear();
    if (m_month && m_rows.hasPendingUpdates())
        return runClaimed();
    return runUnderSavepoint();
}

bool RecordSave::runUnderSavepoint()
{
    Savepoint transaction(Database::connection(m_rows.connectionName()), m_savepointName);
    if (!transaction.isActive())
        return fail(transaction.error());
    // The rows go as a whole or not at all: applyUpdates leaves the cache as it
    // was when a statement fails, and the savepoint undoes what ran before it.
    if (!m_rows.applyUpdates()) {
        transaction.rollback();
        return fail(m_rows.lastError());
    }
    QString history;
    if (!SaveHistory::record(m_rows, operationKind(), &history)) {
        transaction.rollback();
        return fail(history);
    }
    if (!transaction.release())
        return fail(transaction.error());
    m_rows.commitUpdates();
    return true;
}

bool RecordSave::runClaimed()
{
    // The write lock first (a bounded wait for another writer), then the month
    // as read, then the rows: what the check saw is what the rows are written to.
    WriteTransaction transaction(Database::connection(m_rows.connectionName()));
    if (!transaction.isActive())
        return fail(transaction.error());
    QString why;
    if (!m_month->holds(m_rows.connectionName(), &why))
        return fail(why);   // rolled back as the transaction ends
    if (!m_rows.applyUpdates())
        return fail(m_rows.lastError());
    QString history;
    if (!SaveHistory::record(m_rows, operationKind(), &history))
        return fail(history);   // rolled back as the transaction ends
    if (!transaction.commit())
        return fail(transaction.error());
    m_rows.commitUpdates();
    return true;
}
