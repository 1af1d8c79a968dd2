#include "migration/table_migration.h"

#include "db/engine_message.h"
#include "db/lookup_key.h"
#include "db/savepoint.h"
#include "migration/dbf_reader.h"
#include "migration/field_mapping.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

TableMigration::TableMigration(QSqlDatabase db, const TableDef &table) : m_db(db), m_table(table)
{
    for (const QString &name : table.key)
        m_keyFields << table.fieldNames().indexOf(name);
}

bool TableMigration::run(const QString &file, TableReport *report, QString *error)
{
    report->table = m_table.name;
    report->file = QFileInfo(file).fileName();
    DbfReader reader;
    if (!reader.open(file, error))
        return false;
    FieldMapping mapping;
    QString why;
    if (!FieldMapping::build(m_table, reader.fields(), &mapping, &why)) {
        *error = QStringLiteral("%1: %2").arg(report->file, why);
        return false;
    }
    report->missingFields = mapping.missing();
    report->extraFields = mapping.extra();

    Savepoint table(m_db, QStringLiteral("velq8_migrate"));
    if (!table.isActive()) {
        *error = table.error();
        return false;
    }
    if (!writeRecords(reader, mapping, report, error))
        return false;   // not released: rolled back
    if (!table.release()) {
        *error = table.error();
        return false;
    }
    return true;
}

bool TableMigration::writeRecords(DbfReader &reader, const FieldMapping &mapping, TableReport *report,
                                  QString *error)
{
    QSqlQuery insert(m_db);
    if (!insert.prepare(Schema::insertStatement(m_table))) {
        *error = EngineMessage::of(insert.lastError());
        return false;
    }
    DbfRecord record;
    QVariantList values;
    QString readError;
    while (reader.next(&record, &readError)) {
        if (record.isDeleted()) {
            ++report->deleted;
            continue;
        }
        QString refusal = record.isActive() ? convert(record, mapping, &values)
                                            : QStringLiteral("記錄的刪除旗標無效 (0x%1)")
                                                  .arg(quint8(record.bytes.at(0)), 2, 16, QLatin1Char('0'));
        if (refusal.isEmpty())
            refusal = checkKey(values, record.number);
        if (!refusal.isEmpty()) {
            report->refused.append({record.number, refusal});
            continue;
        }
        for (qsizetype i = 0; i < values.size(); ++i)
            insert.bindValue(int(i), values.at(i));
        if (!insert.exec()) {
            *error = QStringLiteral("%1 第 %2 筆無法寫入: %3")
                         .arg(m_table.name)
                         .arg(record.number)
                         .arg(EngineMessage::of(insert.lastError()));
            return false;
        }
        ++report->stored;
    }
    *error = readError;
    if (!readError.isEmpty())
        return false;
    report->headerCount = reader.recordCount();
    report->beyondCount = reader.recordsBeyondCount();
    if (reader.cutRecordBytes() > 0) {
        report->refused.append({reader.cutRecordNumber(),
                                QStringLiteral("記錄不完整 (只有 %1 位元組，應為 %2 位元組)")
                                    .arg(reader.cutRecordBytes())
                                    .arg(reader.recordLength())});
    }
    return true;
}

QString TableMigration::convert(const DbfRecord &record, const FieldMapping &mapping, QVariantList *values)
{
    values->clear();
    for (qsizetype i = 0; i < m_table.fields.size(); ++i) {
        const FieldDef &target = m_table.fields.at(i);
        const DbfField *source = mapping.source(i);
        if (!source) {
            values->append(FieldConversion::absentValue(target));
            continue;
        }
        const FieldConversion::Result r = FieldConversion::convert(record.field(*source), *source, target);
        if (!r.refusal.isEmpty())
            return r.refusal;
        values->append(r.value);
    }
    return {};
}

// The new table's primary key refuses a repeated key too, but only with the
// engine's words; the check here names the record that had the key first. Keys
// compare as the database compares them: texts without their trailing blanks
// (dropped already), numbers by value (the look-up key of the cached rows). The
// key is shown in words only when it repeats.
QString TableMigration::checkKey(const QVariantList &values, int record)
{
    if (m_keyFields.isEmpty())
        return {};
    QString key;
    for (const qsizetype i : m_keyFields) {
        const QVariant &v = values.at(i);
        // A blank text is the empty text, which the primary key would take.
        if (v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty()))
            return QStringLiteral("鍵欄位 %1 空白").arg(m_table.fields.at(i).name);
        LookupKey::append(key, v);
    }
    const auto first = m_recordOfKey.constFind(key);
    if (first == m_recordOfKey.cend()) {
        m_recordOfKey.insert(key, record);
        return {};
    }
    QStringList shown;
    for (const qsizetype i : m_keyFields)
        shown << QStringLiteral("%1=%2").arg(m_table.fields.at(i).name, values.at(i).toString());
    return QStringLiteral("鍵值重複 (%1)，與第 %2 筆相同").arg(shown.join(QStringLiteral(", "))).arg(*first);
}
