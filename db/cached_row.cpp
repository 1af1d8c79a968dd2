#include "db/cached_row.h"

CachedRow CachedRow::loaded(const QVariantList &values)
{
    CachedRow row;
    row.m_values = PackedValues(values);
    row.m_original = row.m_values;
    return row;
}

CachedRow CachedRow::loaded(const QVariantList &values, TextPool &pool)
{
    CachedRow row;
    row.m_values = PackedValues(values, &pool);
    row.m_original = row.m_values;
    return row;
}

CachedRow CachedRow::inserted(int fieldCount)
{
    CachedRow row;
    row.m_values = PackedValues(QVariantList(fieldCount));
    row.m_original = row.m_values;
    row.m_status = Status::Inserted;
    return row;
}

void CachedRow::setValue(int field, const QVariant &value)
{
    setValues({field}, {value});
}

void CachedRow::setValues(const QList<int> &fields, const QVariantList &values)
{
    QVariantList all = m_values.toList();
    for (qsizetype i = 0; i < fields.size(); ++i)
        all[fields.at(i)] = values.at(i);
    m_values = PackedValues(all);
}

void CachedRow::settleAfterEdit()
{
    if (m_status == Status::Unmodified && m_values != m_original)
        m_status = Status::Modified;
    else if (m_status == Status::Modified && m_values == m_original)
        m_status = Status::Unmodified;
}

void CachedRow::rebase(const QVariantList &original)
{
    m_original = PackedValues(original);
    m_status = Status::Unmodified;
}

void CachedRow::rebase(const CachedRow &before)
{
    m_original = before.m_values;
    m_status = Status::Unmodified;
}

void CachedRow::markCommitted()
{
    m_original = m_values;
    m_status = Status::Unmodified;
}

CachedRow CachedRow::asCommitted() const
{
    CachedRow row;
    row.m_values = m_original;
    row.m_original = m_original;
    return row;
}
