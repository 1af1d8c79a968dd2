#pragma once

#include <QString>
#include <cstdio>

// Counts the statements a connection sends to its engine, whoever sends them
// (a dataset, a whole-month delete, the history, a transaction's begin and
// commit): on SQLite every statement started (the engine's statement trace), on
// a server every query and execute message the client library sends (its
// protocol trace). On a server each is a round trip.
//
//     StatementCount count(Database::connectionName());
//     work();
//     long long sent = count.sent();
//
// Counting costs a little (on a server a line of trace per message), so the
// bench counts in an untimed run of its own.
class StatementCount
{
public:
    explicit StatementCount(const QString &connectionName);
    ~StatementCount();
    StatementCount(const StatementCount &) = delete;
    StatementCount &operator=(const StatementCount &) = delete;

    // The statements sent since the count began; -1 when the connection's
    // engine cannot be traced.
    long long sent() const;

private:
    void *m_sqlite = nullptr;   // sqlite3*
    void *m_server = nullptr;   // PGconn*
    std::FILE *m_trace = nullptr;
    long long m_statements = 0;

    static int onSqliteStatement(unsigned type, void *self, void *, void *);
};
