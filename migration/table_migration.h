#pragma once

#include "db/schema.h"
#include "migration/field_conversion.h"
#include "migration/table_report.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

class DbfReader;
struct DbfRecord;
class FieldMapping;

// Moves one old table into its table of the new database: the active records
// converted and written in stored order (so that the first BN01 record stays the
// declaring institution and CACNO keeps the order of a new month's rows), all
// in one transaction. A record that cannot come over is refused with its number
// and the reason, and the others go on.
class TableMigration
{
public:
    TableMigration(QSqlDatabase db, const TableDef &table);

    // False with *error when the file cannot be read or a row cannot be
    // written: the table's transaction is rolled back and the migration stops.
    bool run(const QString &file, TableReport *report, QString *error);

private:
    bool writeRecords(DbfReader &reader, const FieldMapping &mapping, TableReport *report, QString *error);
    QString convert(const DbfRecord &record, const FieldMapping &mapping, QVariantList *values);
    QString checkKey(const QVariantList &values, int record);

    QSqlDatabase m_db;
    const TableDef &m_table;
    QList<qsizetype> m_keyFields;        // indexes of the key's fields
    QHash<QString, int> m_recordOfKey;   // the key's text -> the record that first had it
};
