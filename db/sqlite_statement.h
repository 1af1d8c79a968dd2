#pragma once

#include <QString>
#include <QVariant>

#include <vector>

class QSqlDatabase;
struct sqlite3;
struct sqlite3_stmt;

// A statement run through SQLite's own interface on a connection Qt opened,
// for the one place where Qt's binding costs more than the work: the
// thousands of values of a bulk insert. Qt names every positional value
// (":N", a text built per value) and keeps it in a hash before SQLite sees
// it; here each value goes to SQLite directly, bound by its type as Qt's
// SQLite driver binds it, so what is stored is the same.
//
// It runs inside whatever transaction the connection has open, as a QSqlQuery
// on the connection would.
class SqliteStatement
{
public:
    // The connection's SQLite handle; null when its driver is another.
    static sqlite3 *handleOf(const QSqlDatabase &db);

    explicit SqliteStatement(sqlite3 *db) : m_db(db) {}
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    bool prepare(const QString &sql);
    // The value at a position counted from 0. The value is held until it is
    // bound again, so its text is not copied.
    bool bind(int position, const QVariant &value);
    // Runs the statement to its end and makes it ready to run again.
    bool exec();
    // The engine's words for the last failure.
    QString error() const { return m_error; }

private:
    bool failed();

    sqlite3 *m_db;
    sqlite3_stmt *m_statement = nullptr;
    std::vector<QVariant> m_values;
    QString m_error;
};
