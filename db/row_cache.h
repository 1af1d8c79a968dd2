#pragma once

#include "db/cached_row.h"
#include "db/lookup_index.h"

#include <QList>
#include <QVariant>
#include <QVariantList>
#include <functional>

// The rows of a dataset in memory with their cached changes.
//
// Rows are kept in storage order (the order they were loaded or appended in),
// deleted rows included until the cache is committed; the visible rows are the
// others, numbered 0.. in storage order, and are what a cursor and a grid see.
// Each row keeps its values as last loaded or committed (its original values),
// which is what revert() goes back to.
//
// One row at a time may be in editing: beginEdit() keeps a copy of it for
// cancelEdit(), append() adds a new row that is in editing from the start. The
// look-up index follows every change of a value.
class RowCache
{
public:
    enum class EditMode { None, Edit, Insert };

    // Rows as read from the database; forgets the cache and any edit. The rows
    // are held compactly (CachedRow over one TextPool for the load).
    void load(const QList<QVariantList> &rows);
    // The same, a row at a time as `next` gives them until it returns false, so
    // that a large result is never held twice.
    void loadFrom(const std::function<bool(QVariantList *)> &next);
    void clear() { load({}); }

    // A load in parts, for a result read as it is needed: startLoad() forgets
    // everything like load(), each loadMore() adds up to `limit` rows (every
    // row `next` gives when limit < 0) after the rows there and returns how
    // many it added, finishLoad() says the result is complete. The rows come
    // after every stored row, so no appended row may be in the cache while a
    // load is unfinished (the dataset reads the rest before an append).
    void startLoad();
    int loadMore(const std::function<bool(QVariantList *)> &next, int limit = -1);
    void finishLoad();
    // The same in two steps, for rows that must be counted before they are
    // added: a row packed as the load holds it (its texts in the load's
    // pool), then the packed rows added after the rows there.
    CachedRow packLoaded(const QVariantList &values);
    void addLoaded(const QList<CachedRow> &rows);

    int count() const { return int(m_visible.size()); }
    int storageCount() const { return int(m_rows.size()); }
    // Every row in storage order, deleted ones included (what an apply reads).
    const QList<CachedRow> &storage() const { return m_rows; }
    int storageOf(int row) const;   // -1 when there is no such visible row
    int rowOf(int storage) const;   // -1 when deleted or out of range
    // The visible row (a default row when out of range).
    const CachedRow &at(int row) const;
    QVariant value(int row, int field) const { return at(row).value(field); }

    // Editing -------------------------------------------------------------------
    EditMode editMode() const { return m_editMode; }
    bool isEditing() const { return m_editMode != EditMode::None; }
    int editingRow() const { return rowOf(m_editing); }
    // True once a value was set since beginEdit() or append().
    bool isEdited() const { return m_edited; }
    // Puts a visible row into editing (a row already in editing stays so).
    bool beginEdit(int row);
    // A new empty row after every other, in editing; returns its visible row.
    int append(int fieldCount);
    bool setValue(int row, int field, const QVariant &value);
    // Several fields of a row at once; false (nothing set) when one is not a field.
    bool setValues(int row, const QList<int> &fields, const QVariantList &values);
    // Ends the edit, keeping the values (a changed row becomes Modified).
    void postEdit();
    // Ends the edit without its changes: an edited row gets its values back, an
    // appended row goes.
    void cancelEdit();
    // Takes a visible row out: a row in editing loses its edit first; a row never
    // written (Inserted) goes for good, any other is marked Deleted.
    void removeRow(int row);

    // Cache ---------------------------------------------------------------------
    // Something to write: a changed row other than an appended row still in
    // editing, or a row in editing that something was set in.
    bool hasChanges() const;
    // The current rows become the loaded rows: deleted rows go, every other row
    // becomes Unmodified with its values as original. A row in editing keeps its
    // edit (an appended one stays Inserted), based on its last posted values.
    void commit();
    // Back to the rows as last loaded or committed; any edit is dropped.
    void revert();

    // The first visible row whose fields hold the values, or -1.
    int find(const QList<int> &fields, const QVariantList &values) const;

private:
    void rebuildVisible();
    void endEdit();

    QList<CachedRow> m_rows;      // includes deleted rows
    QList<int> m_visible;         // storage index of each visible row, ascending
    EditMode m_editMode = EditMode::None;
    int m_editing = -1;           // storage index of the row in editing
    CachedRow m_editBackup;       // that row before the edit
    // The texts of the load under way; dropped by finishLoad().
    QExplicitlySharedDataPointer<TextPool> m_pool;
    bool m_edited = false;
    // Built by the first look-up of each field list, which may come from a
    // const search.
    mutable LookupIndex m_index;
};
