#pragma once

#include "db/database.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// A whole table in stored order (rowid) with exact-match look-up on its key:
// tblBN01, tblCD01, ... The rows are read on open() and refresh(); findKey() is a
// hash look-up, never a scan.
class TableCursor
{
public:
    TableCursor(const QString &tableName,
                const QString &connectionName = Database::connectionName());

    bool open();          // false + lastError() when the table cannot be read
    void close();
    bool isOpen() const { return m_open; }
    bool refresh();       // re-reads the table, cursor back to the first record
    QString lastError() const { return m_lastError; }
    QString tableName() const { return m_table; }

    int recordCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    int position() const { return m_pos; }   // -1 when empty
    void first();
    void last();
    void next();          // eof() after the last record
    void prior();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }

    QVariant value(const QString &field) const;           // current record
    QVariant value(int row, const QString &field) const;
    QString text(const QString &field) const { return value(field).toString().trimmed(); }

    // Exact match on the table's key fields (in key order); on success the cursor
    // moves to the record. Text keys compare without trailing blanks.
    bool findKey(const QVariantList &keyValues);
    // The record index of a key, or -1; does not move the cursor.
    int indexOfKey(const QVariantList &keyValues) const;

private:
    static QString keyOf(const QVariantList &values);

    QString m_table;
    QString m_connectionName;
    QStringList m_fields;
    QHash<QString, int> m_fieldIndex;    // upper-case name
    QStringList m_keyFields;
    QList<QVariantList> m_rows;
    QHash<QString, int> m_keyIndex;
    int m_pos = -1;
    bool m_eof = true;
    bool m_bof = true;
    bool m_open = false;
    QString m_lastError;
};
