#include "bench/plain_sqlite.h"

#include <cstdio>

PlainSqlite::PlainSqlite(const QString &file, const char *scenario)
    : m_scenario(scenario)
{
    if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: sqlite3_open_v2 failed\n", m_scenario);
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

PlainSqlite::~PlainSqlite()
{
    sqlite3_close(m_db);
}

void PlainSqlite::exec(const std::string &sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s: %s\n", m_scenario, sql.c_str(), error ? error : "?");
        sqlite3_free(error);
    }
}

sqlite3_stmt *PlainSqlite::prepare(const std::string &sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "%s: %s: %s\n", m_scenario, sql.c_str(), sqlite3_errmsg(m_db));
    return statement;
}

std::string PlainSqlite::text(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return text ? std::string(text) : std::string();
}
