#pragma once

#include "db/cached_row.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariantList>

// Exact-match look-up over the rows of a cache: one hash per list of fields,
// built on the first look-up by that list and kept up to date as rows change,
// so that a loop of look-ups costs one pass over the rows, not one per look-up.
// Keys are LookupKey texts (numbers by value, text without trailing blanks).
//
// Rows are named by their storage index in the cache. The owner reports every
// change (rowChanged, rowAppended) and calls clear() whenever storage indexes
// shift; a deleted row stays in the hashes, for the owner to pass over.
class LookupIndex
{
public:
    // Storage indexes of the rows whose fields hold the values, ascending.
    // Builds the hash of that field list from `rows` when there is none yet.
    QList<int> matches(const QList<int> &fields, const QVariantList &values, const QList<CachedRow> &rows);

    bool isEmpty() const { return m_hashes.isEmpty(); }
    int hashCount() const { return int(m_hashes.size()); }
    void clear() { m_hashes.clear(); }

    void rowChanged(int storage, const QVariantList &before, const QVariantList &after);
    // A row added after every existing one (the highest storage index).
    void rowAppended(int storage, const QVariantList &values);

private:
    struct FieldListHash
    {
        QList<int> fields;
        QHash<QString, QList<int>> rows;   // key text -> storage indexes, ascending
    };
    static QString keyOf(const QList<int> &fields, const QVariantList &values);
    static QString keyOf(const QList<int> &fields, const CachedRow &row);
    FieldListHash &hashFor(const QList<int> &fields, const QList<CachedRow> &rows);

    QHash<QString, FieldListHash> m_hashes;   // key: the field indexes, "3;0;"
};
