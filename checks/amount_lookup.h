#pragma once

#include "common/decimal4.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <unordered_map>

// The amounts of one month (or of one county of a month) by account code, for
// the formula evaluation: a hash look-up per term, never a scan.
//
// Codes are kept without trailing blanks (the fixed-width code fields do not
// count them). When a code is added twice the first amount stays, as an
// exact-match locate over the rows finds the first one.
//
// A check looks up every term of every formula (of every county): the codes are
// hashed without Qt's per-process seed, whose keyed string hash costs several
// times the rest of a look-up. The codes come from the declaration tables, not
// from anyone trying to collide them.
class AmountLookup
{
public:
    void reserve(qsizetype size) { m_amounts.reserve(size); }
    void clear() { m_amounts.clear(); }

    // Adds a stored floating-point amount, converted to the check value (half to even).
    void add(QStringView code, double amount) { add(code, Decimal4::fromDouble(amount)); }
    void add(QStringView code, Decimal4 amount);
    // Replaces the amount of a code (or adds it): the check while keying follows
    // the cell that holds a code's first amount.
    void set(QStringView code, Decimal4 amount) { m_amounts.insert_or_assign(key(code), amount); }

    // The amount of a code given without trailing blanks, or nullptr.
    const Decimal4 *find(const QString &code) const
    {
        const auto it = m_amounts.find(code);
        return it == m_amounts.cend() ? nullptr : &it->second;
    }
    bool contains(const QString &code) const { return m_amounts.count(code) > 0; }
    qsizetype size() const { return qsizetype(m_amounts.size()); }
    bool isEmpty() const { return m_amounts.empty(); }

    // A code as the look-up keeps it: trailing blanks removed.
    static QString key(QStringView code);

private:
    struct CodeHash
    {
        size_t operator()(const QString &code) const noexcept { return qHash(QStringView(code), 0); }
    };
    std::unordered_map<QString, Decimal4, CodeHash> m_amounts;
};
