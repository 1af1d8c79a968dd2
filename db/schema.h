#pragma once

#include "db/dialect.h"

#include <QList>
#include <QString>
#include <QStringList>

// Every table of the declaration database: fields in order, types, widths and
// keys. The database is created from these definitions and the generic insert,
// modify and delete statements are built from them.
enum class FieldType { SmallInt, Float, Text, Date };

struct FieldDef
{
    QString name;
    FieldType type;
    int width = 0;   // bytes of Big5 for Text, 0 otherwise
};

struct TableDef
{
    QString name;
    QList<FieldDef> fields;
    QStringList key;  // empty: no key
    // A record the system keeps of its own work (the exports, the history of
    // changes): never read from the old tables, created at open in a database
    // made before it existed, and only ever added to.
    bool record = false;

    const FieldDef *field(const QString &name) const; // case-insensitive
    QStringList fieldNames() const;
};

namespace Schema {

const QList<TableDef> &tables();
const TableDef *table(const QString &name); // case-insensitive

// The record tables' names (TableDef::record).
inline const char *ExportLog = "EXPORT_LOG";
inline const char *ChangeLog = "CHANGE_LOG";
inline const char *ChangeRow = "CHANGE_ROW";

QString createStatement(const TableDef &table, const Dialect &dialect = Dialect::sqlite());
QStringList indexStatements(const TableDef &table);

// "insert into T (F1, ...) values (:F1, ...)"
QString insertStatement(const TableDef &table);
// The modify and delete statements find the row by its key and by every other
// field of `table` as it was read (":OLD_<FIELD>"), so that a row another writer
// changed since it was read is not found (see whereAsRead in schema.cpp):
// "update T set F1 = :F1, ... where K1 = :OLD_K1 and ... and F2 is not distinct from :OLD_F2 ..."
QString modifyStatement(const TableDef &table);
// "delete from T where K1 = :OLD_K1 and ... and coalesce(T1, '') = :OLD_T1 ..."
QString deleteStatement(const TableDef &table);

} // namespace Schema
