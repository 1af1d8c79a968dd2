#pragma once

#include <QString>

// One writer's claim on a month of one declaration table: Add and Save of a
// whole month and Delete of a month run under it (RecordSave::claimMonth), so
// that a month is only ever the work of one writer.
//
// The claim is checked inside the writer's write transaction, before anything
// is written: the month must still be stored, or still not be, as the window
// found it when it read the month. Adding a month that another user stored
// meanwhile is refused (EngineMessage::monthStoredByOther); saving or deleting a
// month another user deleted meanwhile is refused (EngineMessage::changedByOther).
// Rows changed by another user inside a month that is still stored are refused
// row by row by the modify and delete statements.
//
// The lock itself: on SQLite the write transaction holds the whole database
// (WriteTransaction), which covers every month. On the server, which locks rows,
// holds() first takes a lock on (table, institution, year, month) that lasts
// until the transaction ends (Dialect::monthLockStatement), waiting at most the
// session's lock timeout; a month another writer holds past that is refused
// with EngineMessage::monthInUse(), nothing changed. The server releases it at
// commit, at rollback and when the holder's session ends.
class MonthClaim
{
public:
    enum class Purpose {
        Add,      // the month was not stored when the window looked
        Save,     // the month was read as stored and is saved
        Delete,   // the month was read as stored and is deleted
    };

    // `institution` empty: the month of every institution (the county data).
    MonthClaim(QString table, int year, int month, QString institution, Purpose purpose);

    QString table() const { return m_table; }
    int year() const { return m_year; }
    int month() const { return m_month; }
    QString institution() const { return m_institution; }
    Purpose purpose() const { return m_purpose; }

    // Inside the write transaction on `connectionName`: true when the month is
    // as the window read it; false and *error (the user's words) otherwise.
    bool holds(const QString &connectionName, QString *error) const;

    // Only the lock of holds(), without its check: for a writer that checks
    // the month itself (the import). True where the engine needs no lock.
    bool lock(const QString &connectionName, QString *error) const;

private:
    QString lockKey() const;

    QString m_table;
    int m_year = 0;
    int m_month = 0;
    QString m_institution;
    Purpose m_purpose = Purpose::Save;
};
