#include "db/row_cache.h"

#include <algorithm>

void RowCache::load(const QList<QVariantList> &rows)
{
    qsizetype i = 0;
    loadFrom([&](QVariantList *values) {
        if (i >= rows.size())
            return false;
        *values = rows.at(i++);
        return true;
    });
}

void RowCache::loadFrom(const std::function<bool(QVariantList *)> &next)
{
    startLoad();
    loadMore(next);
    finishLoad();
}

void RowCache::startLoad()
{
    m_rows.clear();
    m_rows.squeeze();
    m_visible.clear();
    m_visible.squeeze();
    m_index.clear();
    endEdit();
    m_pool = new TextPool;
}

int RowCache::loadMore(const std::function<bool(QVariantList *)> &next, int limit)
{
    QVariantList values;
    int added = 0;
    while ((limit < 0 || added < limit) && next(&values)) {
        const int storage = int(m_rows.size());
        m_rows << packLoaded(values);
        m_visible << storage;
        if (!m_index.isEmpty())
            m_index.rowAppended(storage, values);
        ++added;
    }
    return added;
}

CachedRow RowCache::packLoaded(const QVariantList &values)
{
    if (!m_pool)
        m_pool = new TextPool;
    return CachedRow::loaded(values, *m_pool);
}

void RowCache::addLoaded(const QList<CachedRow> &rows)
{
    // No reserve here: one to the exact size would copy every row at each part.
    for (const CachedRow &row : rows) {
        const int storage = int(m_rows.size());
        m_rows << row;
        m_visible << storage;
        if (!m_index.isEmpty())
            m_index.rowAppended(storage, row.values());
    }
}

void RowCache::finishLoad()
{
    m_pool.reset();
    m_rows.squeeze();
    m_visible.squeeze();
}

void RowCache::rebuildVisible()
{
    m_visible.clear();
    m_visible.reserve(m_rows.size());
    for (int s = 0; s < m_rows.size(); ++s) {
        if (!m_rows.at(s).isDeleted())
            m_visible << s;
    }
}

int RowCache::storageOf(int row) const
{
    return row >= 0 && row < m_visible.size() ? m_visible.at(row) : -1;
}

int RowCache::rowOf(int storage) const
{
    const auto it = std::lower_bound(m_visible.cbegin(), m_visible.cend(), storage);
    if (it == m_visible.cend() || *it != storage)
        return -1;
    return int(it - m_visible.cbegin());
}

const CachedRow &RowCache::at(int row) const
{
    static const CachedRow none;
    const int s = storageOf(row);
    return s < 0 ? none : m_rows.at(s);
}

// ---------------------------------------------------------------------------------
// Editing

void RowCache::endEdit()
{
    m_editMode = EditMode::None;
    m_editing = -1;
    m_editBackup = {};
    m_edited = false;
}

bool RowCache::beginEdit(int row)
{
    const int s = storageOf(row);
    if (s < 0)
        return false;
    if (isEditing())
        return true;
    m_editMode = EditMode::Edit;
    m_editing = s;
    m_editBackup = m_rows.at(s);
    m_edited = false;
    return true;
}

int RowCache::append(int fieldCount)
{
    const CachedRow row = CachedRow::inserted(fieldCount);
    const int storage = int(m_rows.size());
    m_rows << row;
    m_visible << storage;
    m_index.rowAppended(storage, row.values());
    m_editMode = EditMode::Insert;
    m_editing = storage;
    m_editBackup = row;
    m_edited = false;
    return int(m_visible.size()) - 1;
}

bool RowCache::setValue(int row, int field, const QVariant &value)
{
    return setValues(row, {field}, {value});
}

bool RowCache::setValues(int row, const QList<int> &fields, const QVariantList &values)
{
    const int s = storageOf(row);
    if (s < 0 || fields.size() != values.size())
        return false;
    for (const int field : fields) {
        if (field < 0 || field >= m_rows.at(s).fieldCount())
            return false;
    }
    // The values before the change matter only to the look-up index; without
    // one no copy of the row is made.
    QVariantList before;
    if (!m_index.isEmpty())
        before = m_rows.at(s).values();
    m_rows[s].setValues(fields, values);
    m_edited = true;
    if (!m_index.isEmpty())
        m_index.rowChanged(s, before, m_rows.at(s).values());
    return true;
}

void RowCache::postEdit()
{
    if (m_editMode == EditMode::Edit && m_editing >= 0)
        m_rows[m_editing].settleAfterEdit();
    endEdit();
}

void RowCache::cancelEdit()
{
    const int s = m_editing;
    if (m_editMode == EditMode::Edit && s >= 0) {
        const QVariantList before = m_rows.at(s).values();
        m_rows[s].restoreValues(m_editBackup);
        if (!m_index.isEmpty())
            m_index.rowChanged(s, before, m_rows.at(s).values());
    } else if (m_editMode == EditMode::Insert && s >= 0) {
        m_rows.removeAt(s);
        rebuildVisible();
        m_index.clear();
    }
    endEdit();
}

void RowCache::removeRow(int row)
{
    int s = storageOf(row);
    if (s < 0)
        return;
    if (s == m_editing) {
        const bool appended = m_editMode == EditMode::Insert;
        cancelEdit();
        if (appended)
            return;   // cancelling took it out already
    }
    if (m_rows.at(s).status() == CachedRow::Status::Inserted) {
        // Never written: it simply goes.
        m_rows.removeAt(s);
        rebuildVisible();
        m_index.clear();
        if (m_editing > s)
            --m_editing;
    } else {
        m_rows[s].markDeleted();
        m_visible.removeAt(row);
    }
}

// ---------------------------------------------------------------------------------
// Cache

bool RowCache::hasChanges() const
{
    if (isEditing() && m_edited)
        return true;
    // An appended row nothing was set in is dropped, not written.
    const int inserting = m_editMode == EditMode::Insert ? m_editing : -1;
    for (int s = 0; s < m_rows.size(); ++s) {
        if (s != inserting && m_rows.at(s).isChanged())
            return true;
    }
    return false;
}

void RowCache::commit()
{
    QList<CachedRow> rows;
    rows.reserve(m_rows.size());
    bool dropped = false;
    int editing = -1;
    for (int s = 0; s < m_rows.size(); ++s) {
        CachedRow row = m_rows.at(s);
        if (s == m_editing) {
            // The row in editing keeps its edit; its committed form is the one it
            // had before the edit began.
            if (m_editMode == EditMode::Edit) {
                m_editBackup.markCommitted();
                row.rebase(m_editBackup);
            }
            editing = int(rows.size());
            rows << row;
            continue;
        }
        if (row.isDeleted()) {
            dropped = true;
            continue;
        }
        row.markCommitted();
        rows << row;
    }
    m_rows = rows;
    m_editing = editing;
    if (dropped) {
        rebuildVisible();
        m_index.clear();
    }
}

void RowCache::revert()
{
    // Every row but an appended one holds its loaded or committed values as its
    // original values, in the order they were loaded: those are the rows to
    // go back to, and no second list of the rows is kept for it.
    QList<CachedRow> rows;
    rows.reserve(m_rows.size());
    for (const CachedRow &row : std::as_const(m_rows)) {
        if (row.status() != CachedRow::Status::Inserted)
            rows << row.asCommitted();
    }
    m_rows = rows;
    rebuildVisible();
    m_index.clear();
    endEdit();
}

int RowCache::find(const QList<int> &fields, const QVariantList &values) const
{
    for (int storage : m_index.matches(fields, values, m_rows)) {
        if (!m_rows.at(storage).isDeleted())
            return rowOf(storage);
    }
    return -1;
}
