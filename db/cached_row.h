#pragma once

#include "db/packed_values.h"

#include <QVariant>
#include <QVariantList>

// One row of a dataset's cache: its current values, the values it had when it
// was loaded or last committed (what the ":OLD_" parameters of the modify and
// delete statements bind), and what has happened to it since.
//
// A row read from the database starts Unmodified; a posted edit that leaves it
// different from its original makes it Modified (and an edit back makes it
// Unmodified again); remove() marks it Deleted, kept until the cache is committed
// so that its delete statement can find it by its original values. An appended
// row is Inserted from the start and has no original values.
//
// The values are PackedValues: a row loaded with a TextPool is held compactly
// and shares one block for its values and its original values until it is
// edited; an edited or appended row holds a plain list.
class CachedRow
{
public:
    enum class Status { Unmodified, Modified, Inserted, Deleted };

    CachedRow() = default;
    static CachedRow loaded(const QVariantList &values);
    // Held compactly, its texts in the pool of the load.
    static CachedRow loaded(const QVariantList &values, TextPool &pool);
    static CachedRow inserted(int fieldCount);

    Status status() const { return m_status; }
    bool isDeleted() const { return m_status == Status::Deleted; }
    // Anything to write: inserted, modified or deleted.
    bool isChanged() const { return m_status != Status::Unmodified; }

    QVariantList values() const { return m_values.toList(); }
    QVariantList original() const { return m_original.toList(); }
    int fieldCount() const { return m_values.size(); }
    QVariant value(int field) const { return m_values.at(field); }
    QVariant originalValue(int field) const { return m_original.at(field); }
    // The value without a copy where the row keeps it as one (PackedValues::held).
    const QVariant *heldValue(int field) const { return m_values.held(field); }
    const QVariant *heldOriginalValue(int field) const { return m_original.held(field); }

    // Sets a value (a field of the row) without touching the status: an edit
    // counts once it is posted (settleAfterEdit()).
    void setValue(int field, const QVariant &value);
    // Several at once (`fields[i]` gets `values[i]`): the row is packed once.
    void setValues(const QList<int> &fields, const QVariantList &values);
    // Puts every value back to a copy taken before an edit.
    void restoreValues(const QVariantList &values) { m_values = PackedValues(values); }
    // The same, from the row as it was before the edit.
    void restoreValues(const CachedRow &before) { m_values = before.m_values; }
    // After a posted edit: Modified when the row now differs from its original,
    // Unmodified when the edit put the original values back. Inserted and
    // Deleted rows keep their status.
    void settleAfterEdit();
    void markDeleted() { m_status = Status::Deleted; }
    // The row as the database now holds it: these become its original values.
    void rebase(const QVariantList &original);
    // The same, from the values of the row as it was before an edit.
    void rebase(const CachedRow &before);
    void markCommitted();
    // The row as last loaded or committed: its original values, unmodified
    // (what a discard goes back to; an appended row has none to go back to).
    CachedRow asCommitted() const;

private:
    PackedValues m_values;
    PackedValues m_original;
    Status m_status = Status::Unmodified;
};
Q_DECLARE_TYPEINFO(CachedRow, Q_RELOCATABLE_TYPE);
