#pragma once

#include <QString>

class CachedDataset;

// The one way the cached changes of a dataset are written: every save and every
// delete of rows (a row tab, a maintenance window, a month tab's Save, Delete and
// close) comes here. The changes are applied inside one savepoint (a transaction
// of their own, or part of the caller's) and, once it is released, become the
// rows as loaded. On failure nothing is written, the cache is exactly as it was
// and error() says why; what to do with the cache then is the caller's choice.
//
// This is the place for what every save must do inside the same transaction:
// taking the month's lock row, refusing a row another writer changed since it
// was read, writing the history record. Add it to run(), between the savepoint
// and its release, and every screen has it.
class RecordSave
{
public:
    explicit RecordSave(CachedDataset &rows, QString savepointName = QStringLiteral("velq8_save"));

    // True when every change was written (the cache is then committed).
    bool run();
    QString error() const { return m_error; }

private:
    CachedDataset &m_rows;
    QString m_savepointName;
    QString m_error;
};
