#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariantMap>

class ChangeLineKey;
struct TableDef;
struct sqlite3;

// The history's packed lines (ChangePack, ChangeValues) of the rows a
// statement selects, on SQLite: the rows read through SQLite's own interface
// and packed here as UTF-8, which costs a fraction of packing them with
// format() in the statement (a county month is some thousands of rows). The
// texts are those a row in memory packs to: numbers in the same plain
// decimals, texts with trailing blanks dropped and the same escape.
namespace SqliteChangeLines {

// The lines of the rows of `fromWhere` ("from <table> <alias> where ...", its
// named parameters in `params`) in stored order, each row as it is before the
// change (`before`: it is about to go) or after it; *rows counts them, and
// `rowids` (when given) receives each one's rowid. False with *error (the
// engine's words) on a failure.
bool pack(sqlite3 *db, const TableDef &table, const ChangeLineKey &lineKey, const QString &alias,
          const QString &fromWhere, const QVariantMap &params, bool before, QByteArray *lines, int *rows, QString *error,
          QList<qint64> *rowids = nullptr);

} // namespace SqliteChangeLines
