#include "db/table_cursor.h"

#include "db/dialect.h"
#include "db/lookup_key.h"
#include "db/schema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

TableCursor::TableCursor(const QString &tableName, const QString &connectionName)
    : m_table(tableName), m_connectionName(connectionName)
{
    if (const TableDef *def = Schema::table(tableName)) {
        m_table = def->name;
        m_keyFields = def->key;
    }
}

QString TableCursor::keyOf(const QVariantList &values)
{
    return LookupKey::of(values);
}

bool TableCursor::open()
{
    if (m_open)
        return true;
    return refresh();
}

void TableCursor::close()
{
    m_rows.clear();
    m_keyIndex.clear();
    m_pos = -1;
    m_bof = m_eof = true;
    m_open = false;
}

bool TableCursor::refresh()
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.isOpen()) {
        m_lastError = QStringLiteral("資料庫連線 %1 未開啟").arg(m_connectionName);
        close();
        return false;
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // The stored order of the records is the order they were inserted in.
    // Its fields by name: a server table's stored-order column is no field.
    const TableDef *def = Schema::table(m_table);
    const QString fields = def ? def->fieldNames().join(QStringLiteral(", ")) : QStringLiteral("*");
    if (!q.exec(QStringLiteral("select %1 from %2 order by rowid").arg(fields, m_table))) {
        const QSqlError e = q.lastError();
        m_lastError = e.databaseText().isEmpty() ? e.text() : e.databaseText();
        close();
        return false;
    }
    const QSqlRecord rec = q.record();
    const int columns = rec.count();
    m_fields.clear();
    m_fieldIndex.clear();
    for (int i = 0; i < columns; ++i) {
        m_fields << Dialect::forDriver(db.driverName()).resultFieldName(rec.fieldName(i));
        m_fieldIndex.insert(rec.fieldName(i).toUpper(), i);
    }
    QList<int> keyColumns;
    for (const QString &k : std::as_const(m_keyFields))
        keyColumns << m_fieldIndex.value(k.toUpper(), -1);

    m_rows.clear();
    m_keyIndex.clear();
    while (q.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i)
            row << q.value(i);
        if (!keyColumns.isEmpty() && !keyColumns.contains(-1)) {
            QString key;
            for (int c : std::as_const(keyColumns))
                LookupKey::append(key, row.at(c));
            // The first record of a key wins, as an exact-match search finds it.
            if (!m_keyIndex.contains(key))
                m_keyIndex.insert(key, int(m_rows.size()));
        }
        m_rows << row;
    }
    m_open = true;
    m_lastError.clear();
    first();
    return true;
}

void TableCursor::first()
{
    m_pos = m_rows.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
}

void TableCursor::last()
{
    m_pos = int(m_rows.size()) - 1;
    m_eof = true;
    m_bof = m_rows.isEmpty();
}

void TableCursor::next()
{
    if (m_rows.isEmpty()) {
        m_bof = m_eof = true;
        return;
    }
    if (m_pos >= int(m_rows.size()) - 1) {
        m_eof = true;
        return;
    }
    ++m_pos;
    m_bof = m_eof = false;
}

void TableCursor::prior()
{
    if (m_rows.isEmpty()) {
        m_bof = m_eof = true;
        return;
    }
    if (m_pos <= 0) {
        m_bof = true;
        return;
    }
    --m_pos;
    m_bof = m_eof = false;
}

QVariant TableCursor::value(const QString &field) const
{
    return value(m_pos, field);
}

QVariant TableCursor::value(int row, const QString &field) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    const int c = m_fieldIndex.value(field.toUpper(), -1);
    return c < 0 ? QVariant() : m_rows.at(row).at(c);
}

int TableCursor::indexOfKey(const QVariantList &keyValues) const
{
    if (keyValues.isEmpty() || keyValues.size() > m_keyFields.size())
        return -1;
    if (keyValues.size() == m_keyFields.size())
        return m_keyIndex.value(keyOf(keyValues), -1);
    // A leading part of the key: the first record whose leading key fields match.
    const QString wanted = keyOf(keyValues);
    QList<int> columns;
    for (int i = 0; i < keyValues.size(); ++i)
        columns << m_fieldIndex.value(m_keyFields.at(i).toUpper(), -1);
    if (columns.contains(-1))
        return -1;
    for (int r = 0; r < m_rows.size(); ++r) {
        QString key;
        for (int c : std::as_const(columns))
            LookupKey::append(key, m_rows.at(r).at(c));
        if (key == wanted)
            return r;
    }
    return -1;
}

bool TableCursor::findKey(const QVariantList &keyValues)
{
    const int r = indexOfKey(keyValues);
    if (r < 0)
        return false;
    m_pos = r;
    m_bof = m_eof = false;
    return true;
}
