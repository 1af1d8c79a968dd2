#pragma once

#include <QSqlDatabase>
#include <QString>

class Dialect;

// The declaration database, reached through the engine alias "CLIENT8" and
// opened as the application connection (ConnectionName below): an SQLite file,
// or a database on a PostgreSQL server that several desks share.
//
// The alias is the "CLIENT8" entry of the [Aliases] group of the engine's
// settings (QSettings organisation "Velqora", application "engine"): a folder,
// whose database file is named "CLIENT8.sqlite", or a server database's URL
// ("postgresql://host:5432/velq8"; see ServerLocation). Without the entry it is
// the user's application-data folder.
//
// Every function below that takes a location takes either.
namespace Database {

// The one place the application connection's name is written: everything else
// names it through ConnectionName or connectionName().
inline constexpr auto ConnectionName = "CVELQ";
inline constexpr auto AliasName = "CLIENT8";
inline constexpr auto FileName = "CLIENT8.sqlite";

inline QString connectionName() { return QString::fromLatin1(ConnectionName); }

// True when the location names a server database ("postgresql://...").
bool isServer(const QString &location);
// The location as messages show it (a URL without its password).
QString displayLocation(const QString &location);

// Folder and location the alias resolves to: defaultFile() is the alias's URL
// when it names a server, else the database file in aliasFolder().
QString aliasFolder(const QString &alias = QString::fromLatin1(AliasName));
QString defaultFile();

// Creates a new database file with every table, key and index and loads the
// reference data shipped with the program, all in one transaction. Refuses a
// path that already exists. On failure nothing is left behind and *error says why.
// On a server the database must exist and hold none of our tables (else it is
// refused, nothing changed); the tables are made in it in one transaction.
bool create(const QString &file, QString *error);
// The same; without reference data every table starts empty (for fixtures).
bool create(const QString &file, QString *error, bool withReferenceData);

// Opens the file as the connection `connectionName`. The file must exist and
// hold the declaration tables with their fields (a file of another layout or
// not a database is refused, never rebuilt or emptied). On failure the
// connection is removed again and *error says why.
bool open(const QString &file, QString *error,
          const QString &connectionName = Database::connectionName());

// Opens the file, creating it first when it does not exist (the first start);
// a server database is created in when it holds none of our tables.
bool openOrCreate(const QString &file, QString *error,
                  const QString &connectionName = Database::connectionName());

// The dialect of an open connection (SQLite when there is no such connection).
const Dialect &dialect(const QString &connectionName = Database::connectionName());

// Gathers the statistics SQLite advises for the queries the connection ran
// (PRAGMA optimize, bounded): after a bulk write and, by close(), before closing.
void optimize(const QString &connectionName = Database::connectionName());

// Optimizes (above), then closes the connection.
void close(const QString &connectionName = Database::connectionName());

QSqlDatabase connection(const QString &connectionName = Database::connectionName());

} // namespace Database
