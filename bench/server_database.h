#pragma once

#include <QString>

// A fresh database on a server for one bench run ("velq8_bench_<pid>"), UTF8
// with the bytewise "C" order as the suite's, made through the server's
// "postgres" database and dropped again when the object goes.
class ServerDatabase
{
public:
    // `server`: a URL of the server, with or without a database.
    explicit ServerDatabase(const QString &server);
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase &) = delete;
    ServerDatabase &operator=(const ServerDatabase &) = delete;

    bool isValid() const { return !m_url.isEmpty(); }
    QString error() const { return m_error; }
    // The URL of the database made.
    QString url() const { return m_url; }

private:
    bool admin(const QString &sql);

    QString m_server;
    QString m_name;
    QString m_url;
    QString m_error;
};
