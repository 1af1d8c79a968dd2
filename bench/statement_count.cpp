#include "bench/statement_count.h"

#include "db/database.h"

#include <QSqlDriver>
#include <QVariant>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstring>

StatementCount::StatementCount(const QString &connectionName)
{
    const QVariant handle = Database::connection(connectionName).driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        m_sqlite = *static_cast<sqlite3 *const *>(handle.data());
        sqlite3_trace_v2(static_cast<sqlite3 *>(m_sqlite), SQLITE_TRACE_STMT,
                         reinterpret_cast<int (*)(unsigned, void *, void *, void *)>(&onSqliteStatement), this);
    } else if (qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0) {
        // Qt's driver names the handle by libpq's struct, pg_conn*.
        m_server = *static_cast<PGconn *const *>(handle.data());
        m_trace = std::tmpfile();
        if (m_trace) {
            PQtrace(static_cast<PGconn *>(m_server), m_trace);
            PQsetTraceFlags(static_cast<PGconn *>(m_server), PQTRACE_SUPPRESS_TIMESTAMPS);
        }
    }
}

StatementCount::~StatementCount()
{
    if (m_sqlite)
        sqlite3_trace_v2(static_cast<sqlite3 *>(m_sqlite), 0, nullptr, nullptr);
    if (m_server && m_trace)
        PQuntrace(static_cast<PGconn *>(m_server));
    if (m_trace)
        std::fclose(m_trace);
}

int StatementCount::onSqliteStatement(unsigned type, void *self, void *, void *)
{
    if (type == SQLITE_TRACE_STMT)
        ++static_cast<StatementCount *>(self)->m_statements;
    return 0;
}

long long StatementCount::sent() const
{
    if (m_sqlite)
        return m_statements;
    if (!m_trace)
        return -1;
    // The trace's lines: "F <length> <message> ...", F for what the client sent.
    // A statement goes as one simple "Query", or as "Execute" of a prepared one.
    std::fflush(m_trace);
    std::rewind(m_trace);
    long long statements = 0;
    char line[512];
    bool lineStart = true;
    while (std::fgets(line, sizeof line, m_trace)) {
        if (lineStart && line[0] == 'F' && line[1] == '\t') {
            const char *message = std::strchr(line + 2, '\t');
            if (message && (std::strncmp(message, "\tQuery\t", 7) == 0 || std::strncmp(message, "\tExecute\t", 9) == 0))
                ++statements;
        }
        lineStart = std::strchr(line, '\n') != nullptr;
    }
    std::fseek(m_trace, 0, SEEK_END);
    return statements;
}
