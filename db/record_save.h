#pragma once

#include "db/change_operation.h"
#include "db/month_claim.h"

#include <QString>
#include <optional>

class CachedDataset;

// The one way the cached changes of a dataset are written: every save and every
// delete of rows (a row tab, a maintenance window, a month tab's Save, Delete and
// close) comes here. The changes are applied inside one savepoint (a transaction
// of their own, or part of the caller's) and, once it is released, become the
// rows as loaded. On failure nothing is written, the cache is exactly as it was
// and error() says why; what to do with the cache then is the caller's choice.
//
// Every modify and delete finds its row as it was read, so a row another writer
// changed since is refused (UpdateApplier). A save of a whole month names its
// month with claimMonth(): the changes are then written in a write transaction
// of their own (WriteTransaction: the connection must not be in one already)
// that first checks the month is still as the window read it (MonthClaim), so
// two writers of one month are serialised and the second is refused, never
// mixed. A save with nothing to write claims nothing.
//
// What every save must do inside the same transaction goes here: the history
// of the declaration rows changed (SaveHistory) is written after the rows, so a
// save and its record stand or fall together. A save under a claim to delete
// the month is recorded as the month deleted, any other as rows keyed.
class RecordSave
{
public:
    explicit RecordSave(CachedDataset &rows, QString savepointName = QStringLiteral("velq8_save"));

    // The rows are one whole month (Add, Save, Delete of a month tab).
    void claimMonth(const MonthClaim &claim) { m_month = claim; }

    // True when every change was written (the cache is then committed).
    bool run();
    QString error() const { return m_error; }

private:
    bool runUnderSavepoint();
    bool runClaimed();
    bool fail(const QString &error);
    ChangeOperation::Kind operationKind() const;

    CachedDataset &m_rows;
    QString m_savepointName;
    std::optional<MonthClaim> m_month;
    QString m_error;
};
