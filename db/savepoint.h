#pragma once

#include <QSqlDatabase>
#include <QString>

// A savepoint on a connection: a transaction of its own when none is running
// (begun here where the engine does not begin one for a savepoint), and a part
// of the caller's transaction when one is. Either way the work done
// under it is all kept (release()) or all undone (rollback(), or the destructor
// of a savepoint never released), so a save, an import or a month's delete is
// all rows or none.
//
//     Savepoint sp(db, "velq8_apply");
//     if (!sp.isActive()) return fail(sp.error());
//     ... statements ...
//     if (!ok || !sp.release()) return fail(...);   // not released: rolled back
class Savepoint
{
public:
    Savepoint(const QSqlDatabase &db, const QString &name);
    ~Savepoint();
    Savepoint(const Savepoint &) = delete;
    Savepoint &operator=(const Savepoint &) = delete;

    // True from a successful start until release() or rollback().
    bool isActive() const { return m_active; }
    // The engine's message of the last step that failed.
    QString error() const { return m_error; }

    // Keeps the work. False (and error()) when the engine refuses: the work is
    // then rolled back.
    bool release();
    // Undoes the work.
    void rollback();

private:
    QSqlDatabase m_db;
    QString m_name;
    QString m_error;
    bool m_active = false;
    bool m_ownsTransaction = false;   // began the transaction it runs in
};
