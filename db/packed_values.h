#pragma once

#include <QHash>
#include <QList>
#include <QSharedData>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <utility>

// The distinct texts of the rows of one load, each held once: the codes and
// names that repeat on every row (an institution, a county, an account and its
// name) cost one string for the whole load instead of one per row. Filled
// only while the load runs; the rows keep it alive as long as they need it.
class TextPool : public QSharedData
{
public:
    quint32 intern(const QString &text);
    const QString &at(quint32 index) const { return m_texts.at(index); }
    int size() const { return int(m_texts.size()); }

private:
    QList<QString> m_texts;
    QHash<QString, quint32> m_indexes;
};

// The values of one cached row, held compactly: an immutable, implicitly
// shared block of a one-byte tag per value and cells only as wide as the
// values need (a text is its 4-byte index into a TextPool, a whole amount or a
// year 4 bytes, a NULL nothing). A loaded county row of eight fields takes
// a block of about 60 bytes instead of eight QVariants and a string each. Every value
// comes back as the exact QVariant it was packed from: its type, a typed null
// (a NULL column), and a null text told from an empty one (the one binds NULL,
// the other ''). Values of other types (a date, a byte array, a NULL of such a
// type) leave the row as a plain list.
class PackedValues
{
public:
    PackedValues() = default;
    // Packs into `pool` when given and every value is of a type held compactly;
    // otherwise (and always without a pool) the values are kept as a list.
    explicit PackedValues(const QVariantList &values, TextPool *pool = nullptr);
    PackedValues(const PackedValues &other);
    PackedValues &operator=(const PackedValues &other);
    PackedValues(PackedValues &&other) noexcept : d(std::exchange(other.d, nullptr)) {}
    PackedValues &operator=(PackedValues &&other) noexcept
    {
        std::swap(d, other.d);
        return *this;
    }
    ~PackedValues();

    int size() const;
    QVariant at(int index) const;    // null QVariant when out of range
    // The value itself where the values are kept as a list (a row keyed in),
    // read without a copy; nullptr where they are packed (or out of range).
    const QVariant *held(int index) const;
    QVariantList toList() const;
    bool isCompact() const;
    // Same values (as QVariant compares them); a shared block is equal at once.
    bool operator==(const PackedValues &other) const;
    bool operator!=(const PackedValues &other) const { return !(*this == other); }

private:
    struct Block;
    Block *d = nullptr;
};
// A pointer to its shared block: lists move it in memory as they grow.
Q_DECLARE_TYPEINFO(PackedValues, Q_RELOCATABLE_TYPE);
