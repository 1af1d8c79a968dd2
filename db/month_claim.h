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
// (WriteTransaction), which covers every month. An engine that locks rows takes
// its lock on (table, institution, year, month) in holds(), before the check.
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

private:
    QString m_table;
    int m_year = 0;
    int m_month = 0;
    QString m_institution;
    Purpose m_purpose = Purpose::Save;
};
