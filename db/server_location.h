#pragma once

#include <QSqlDatabase>
#include <QString>

// A server database named by a URL, as the alias or --database may give it:
//     postgresql://[user[:password]@]host[:port]/database[?sslmode=...&...]
// The user, password and TLS follow the server library's own conventions: what
// the URL leaves out comes from its environment (PGUSER, PGPASSWORD, PGSSLMODE)
// and ~/.pgpass; no password is ever kept in the program's settings.
namespace ServerLocation {

// Sets host, port, user, password, database and the URL's query options
// (sslmode and the like) on a QPSQL connection not yet opened; `extraOptions`
// are added to them. False + *error when the URL cannot be read or names no
// database.
bool configure(QSqlDatabase &db, const QString &url, const QString &extraOptions, QString *error);

// The URL as messages may show it: without its password.
QString display(const QString &url);

// The same server with another database: the URL of `database` on the server
// of `url` (an admin connection to "postgres", or a test's fresh database).
QString withDatabase(const QString &url, const QString &database);

} // namespace ServerLocation
