#pragma once

#include <QString>
#include <QVariantMap>

#include <memory>

class SqliteStatement;

// One statement with named parameters run again and again on a connection
// until the caller is done: a month deleted a chunk at a time. SQLite
// prepares it once (planning a delete over a joined month costs more than a
// chunk's delete itself); a server gets it as one message a run, its values
// written in as StatementRunner writes them.
class RepeatedStatement
{
public:
    RepeatedStatement(QString connectionName, QString sql, QVariantMap params);
    ~RepeatedStatement();

    // The rows this run changed, or -1 + *error (the engine's message).
    int run(QString *error);

private:
    QString m_connectionName;
    QString m_sql;
    QVariantMap m_params;
    std::unique_ptr<SqliteStatement> m_prepared;   // SQLite, once prepared
};
