#include "db/record_save.h"

#include "db/cached_dataset.h"
#include "db/database.h"
#include "db/savepoint.h"

RecordSave::RecordSave(CachedDataset &rows, QString savepointName)
    : m_rows(rows), m_savepointName(std::move(savepointName))
{
}

bool RecordSave::run()
{
    m_error.clear();
    Savepoint transaction(Database::connection(m_rows.connectionName()), m_savepointName);
    if (!transaction.isActive()) {
        m_error = transaction.error();
        return false;
    }
    // The rows go as a whole or not at all: applyUpdates leaves the cache as it
    // was when a statement fails, and the savepoint undoes what ran before it.
    if (!m_rows.applyUpdates()) {
        m_error = m_rows.lastError();
        transaction.rollback();
        return false;
    }
    if (!transaction.release()) {
        m_error = transaction.error();
        return false;
    }
    m_rows.commitUpdates();
    return true;
}
