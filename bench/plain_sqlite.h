#pragma once

#include <QString>

#include <sqlite3.h>

#include <string>

// The baseline's own connection to the generated database through the sqlite3
// C API, beside the application's: what a scenario's plain side stands on.
class PlainSqlite
{
public:
    // `scenario` names the scenario in the messages of what failed.
    PlainSqlite(const QString &file, const char *scenario);
    ~PlainSqlite();
    PlainSqlite(const PlainSqlite &) = delete;
    PlainSqlite &operator=(const PlainSqlite &) = delete;

    bool ok() const { return m_db != nullptr; }
    sqlite3 *db() const { return m_db; }
    void exec(const std::string &sql);
    // A prepared statement (nullptr and a message when it fails).
    sqlite3_stmt *prepare(const std::string &sql);
    static std::string text(sqlite3_stmt *statement, int column);

private:
    sqlite3 *m_db = nullptr;
    const char *m_scenario;
};
