#pragma once

#include <QSqlDatabase>
#include <QString>

// A write transaction that holds the database's write lock from its first
// statement (SQLite: "begin immediate"), so that what is read inside it is
// still what is stored when its writes commit. A second writer in another
// process waits at its own begin for the connection's busy timeout, then reads
// what the first one committed, or fails with a message saying the database
// is in use (never halfway through its writes).
//
// The connection must not be in a transaction already: the begin is refused
// then, with the engine's message. Not committed, it rolls back when it ends.
//
//     ImmediateTransaction t(db);
//     if (!t.isActive()) return fail(t.error());
//     ... read, ask, write ...
//     if (!ok || !t.commit()) return fail(...);   // rolled back
class ImmediateTransaction
{
public:
    explicit ImmediateTransaction(const QSqlDatabase &db);
    ~ImmediateTransaction();
    ImmediateTransaction(const ImmediateTransaction &) = delete;
    ImmediateTransaction &operator=(const ImmediateTransaction &) = delete;

    bool isActive() const { return m_active; }
    // What the engine said when the begin or the commit failed, in the words
    // the user is shown (EngineMessage).
    QString error() const { return m_error; }

    // Keeps the work; false + error() when the engine refuses (then rolled back).
    bool commit();
    void rollback();

private:
    QSqlDatabase m_db;
    QString m_error;
    bool m_active = false;
};
