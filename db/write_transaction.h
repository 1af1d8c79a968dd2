#pragma once

#include <QSqlDatabase>
#include <QString>

// A transaction that holds the database's write lock from its start, so that
// what is read inside it (is the month stored?) is still what is stored when
// its writes commit. A second writer waits at its own start for the
// connection's busy timeout (a bounded wait, set where the connection is
// opened), then either goes on after the first has committed or is refused with
// the system's busy message, never halfway through its writes.
//
// It must be the connection's outermost transaction: started inside another
// one it is refused with the engine's message. Not committed, it rolls back
// when it ends.
//
// The engine's words for "begin and take the write lock now" are the one thing
// here that differs per engine (Dialect::beginWrite): SQLite's "begin
// immediate" locks the whole file; the server's read-committed "begin" locks
// nothing yet, and its writers lock the months they write (MonthClaim) and the
// rows they change.
class WriteTransaction
{
public:
    explicit WriteTransaction(const QSqlDatabase &db);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction &) = delete;
    WriteTransaction &operator=(const WriteTransaction &) = delete;

    bool isActive() const { return m_active; }
    // Why the start or the commit failed, in the words the user is shown.
    QString error() const { return m_error; }

    // Keeps the work; false + error() when the engine refuses (then rolled back).
    bool commit();
    void rollback();

private:
    QSqlDatabase m_db;
    QString m_error;
    bool m_active = false;
};
