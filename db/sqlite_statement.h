#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <vector>

class QSqlDatabase;
struct sqlite3;
struct sqlite3_stmt;

// A statement run through SQLite's own interface on a connection Qt opened,
// for the bulk paths where Qt's handling of each value costs more than the
// work: the thousands of values of a batch of inserts (Qt names every
// positional value, ":N" built as a text, and keeps it in a hash before
// SQLite sees it), and the rows the history packs (read without a QVariant
// a value). A value is bound by its type as Qt's SQLite driver binds it, so
// what is stored is the same.
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
    // Every named parameter of the statement (NamedPlaceholders) to its value
    // in `params`, NULL when it has none.
    bool bindNamed(const QString &sql, const QVariantMap &params);
    // Runs the statement to its end and makes it ready to run again.
    bool exec();
    // The rows the last statement run changed.
    int changes() const;

    // Steps to the next row of a select: false at the end or on a failure
    // (then error() is set; see failed()).
    bool next();
    bool failed() const { return !m_error.isEmpty(); }
    // A column of the current row: SQLite's storage class (SQLITE_NULL, ...),
    // the value as a number, or as SQLite's own UTF-8 text (valid until the
    // next step).
    int type(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    QByteArrayView text(int column) const;

    // The engine's words for the last failure, as EngineMessage gives them.
    QString error() const { return m_error; }

private:
    bool fail();

    sqlite3 *m_db;
    sqlite3_stmt *m_statement = nullptr;
    std::vector<QVariant> m_values;      // what each parameter is bound to, held
    std::vector<QByteArray> m_utf8;      // a text parameter's UTF-8
    QString m_error;
};
