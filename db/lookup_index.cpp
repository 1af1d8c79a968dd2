#include "db/lookup_index.h"

#include "db/lookup_key.h"

#include <algorithm>

QString LookupIndex::keyOf(const QList<int> &fields, const QVariantList &values)
{
    QString key;
    for (int f : fields)
        LookupKey::append(key, values.value(f));
    return key;
}

QString LookupIndex::keyOf(const QList<int> &fields, const CachedRow &row)
{
    QString key;
    for (int f : fields)
        LookupKey::append(key, row.value(f));
    return key;
}

LookupIndex::FieldListHash &LookupIndex::hashFor(const QList<int> &fields, const QList<CachedRow> &rows)
{
    QString name;
    for (int f : fields)
        name += QString::number(f) + u';';
    auto it = m_hashes.find(name);
    if (it != m_hashes.end())
        return it.value();
    FieldListHash hash;
    hash.fields = fields;
    hash.rows.reserve(rows.size());
    for (int s = 0; s < rows.size(); ++s)
        hash.rows[keyOf(fields, rows.at(s))].append(s);
    return m_hashes.insert(name, hash).value();
}

QList<int> LookupIndex::matches(const QList<int> &fields, const QVariantList &values, const QList<CachedRow> &rows)
{
    if (fields.isEmpty() || fields.size() != values.size())
        return {};
    const FieldListHash &hash = hashFor(fields, rows);
    return hash.rows.value(LookupKey::of(values));
}

void LookupIndex::rowChanged(int storage, const QVariantList &before, const QVariantList &after)
{
    for (FieldListHash &hash : m_hashes) {
        const QString oldKey = keyOf(hash.fields, before);
        const QString newKey = keyOf(hash.fields, after);
        if (oldKey == newKey)
            continue;
        auto old = hash.rows.find(oldKey);
        if (old != hash.rows.end()) {
            old->removeOne(storage);
            if (old->isEmpty())
                hash.rows.erase(old);
        }
        QList<int> &list = hash.rows[newKey];
        list.insert(std::lower_bound(list.begin(), list.end(), storage) - list.begin(), storage);
    }
}

void LookupIndex::rowAppended(int storage, const QVariantList &values)
{
    for (FieldListHash &hash : m_hashes)
        hash.rows[keyOf(hash.fields, values)].append(storage);
}
