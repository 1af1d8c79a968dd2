#include "bench/server_database.h"

#include "db/server_location.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

ServerDatabase::ServerDatabase(const QString &server)
    : m_server(server), m_name(QStringLiteral("velq8_bench_%1").arg(QCoreApplication::applicationPid()))
{
    if (admin(QStringLiteral("drop database if exists %1 with (force)").arg(m_name))
        && admin(QStringLiteral("create database %1 template template0 encoding 'UTF8' lc_collate 'C' lc_ctype 'C'")
                     .arg(m_name)))
        m_url = ServerLocation::withDatabase(server, m_name);
}

ServerDatabase::~ServerDatabase()
{
    // "force": a connection left open does not keep the database.
    if (isValid() && !admin(QStringLiteral("drop database if exists %1 with (force)").arg(m_name)))
        std::fprintf(stderr, "dropping the bench's server database %s failed: %s\n", qPrintable(m_name),
                     qPrintable(m_error));
}

bool ServerDatabase::admin(const QString &sql)
{
    const QString connection = QStringLiteral("velq8-bench-admin");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        if (ServerLocation::configure(db, ServerLocation::withDatabase(m_server, QStringLiteral("postgres")), {},
                                      &m_error)) {
            if (!db.open()) {
                m_error = db.lastError().text();
            } else {
                QSqlQuery q(db);
                // "if exists" of a database that is not there is a notice, not news.
                ok = q.exec(QStringLiteral("set client_min_messages = warning")) && q.exec(sql);
                if (!ok)
                    m_error = q.lastError().text();
                db.close();
            }
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}
