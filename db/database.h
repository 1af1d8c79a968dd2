#pragma once

#include <QSqlDatabase>
#include <QString>

// The declaration database: one SQLite file reached through the engine alias
// "CLIENT8" and opened as the application connection (ConnectionName below).
//
// The alias resolves to a folder: the "CLIENT8" entry of the [Aliases] group of the
// engine's settings (QSettings organisation "Velqora", application "engine"),
// else the user's application-data folder. The database file in that folder is
// named "CLIENT8.sqlite".
namespace Database {

// The one place the application connection's name is written: everything else
// names it through ConnectionName or connectionName().
inline constexpr auto ConnectionName = "CVELQ";
inline constexpr auto AliasName = "CLIENT8";
inline constexpr auto FileName = "CLIENT8.sqlite";

inline QString connectionName() { return QString::fromLatin1(ConnectionName); }

// Folder and file the alias resolves to.
QString aliasFolder(const QString &alias = QString::fromLatin1(AliasName));
QString defaultFile();

// Creates a new database file with every table, key and index and loads the
// reference data shipped with the program, all in one transaction. Refuses a
// path that already exists. On failure nothing is left behind and *error says why.
bool create(const QString &file, QString *error);
// The same; without reference data every table starts empty (for fixtures).
bool create(const QString &file, QString *error, bool withReferenceData);

// Opens the file as the connection `connectionName`. The file must exist and
// hold the declaration tables with their fields (a file of another layout or
// not a database is refused, never rebuilt or emptied). On failure the
// connection is removed again and *error says why.
bool open(const QString &file, QString *error,
          const QString &connectionName = Database::connectionName());

// Opens the file, creating it first when it does not exist (the first start).
bool openOrCreate(const QString &file, QString *error,
                  const QString &connectionName = Database::connectionName());

// Gathers the statistics SQLite advises for the queries the connection ran
// (PRAGMA optimize, bounded): after a bulk write and, by close(), before closing.
void optimize(const QString &connectionName = Database::connectionName());

// Optimizes (above), then closes the connection.
void close(const QString &connectionName = Database::connectionName());

QSqlDatabase connection(const QString &connectionName = Database::connectionName());

} // namespace Database
