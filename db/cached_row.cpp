#include "db/cached_row.h"

CachedRow CachedRow::loaded(const QVariantList &values)
{
    CachedRow row;
    row.m_values = values;
    row.m_original = values;
    return row;
}

CachedRow CachedRow::inserted(int fieldCount)
{
    CachedRow row;
    row.m_values = QVariantList(fieldCount);
    row.m_original = row.m_values;
    row.m_status = Status::Inserted;
    return row;
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
    m_original = original;
    m_status = Status::Unmodified;
}
