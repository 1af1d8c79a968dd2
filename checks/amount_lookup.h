#pragma once

#include "common/decimal4.h"

#include <QHash>
#include <QString>
#include <QStringView>

// The amounts of one month (or of one county of a month) by account code, for
// the formula evaluation: a hash look-up per term, never a scan.
//
// Codes are kept without trailing blanks (the fixed-width code fields do not
// count them). When a code is added twice the first amount stays, as an
// exact-match locate over the rows finds the first one.
class AmountLookup
{
public:
    void reserve(qsizetype size) { m_amounts.reserve(size); }
    void clear() { m_amounts.clear(); }

    // Adds a stored floating-point amount, converted to the check value (half to even).
    void add(QStringView code, double amount) { add(code, Decimal4::fromDouble(amount)); }
    void add(QStringView code, Decimal4 amount);

    // The amount of a code given without trailing blanks, or nullptr.
    const Decimal4 *find(const QString &code) const
    {
        const auto it = m_amounts.constFind(code);
        return it == m_amounts.cend() ? nullptr : &it.value();
    }
    bool contains(const QString &code) const { return m_amounts.contains(code); }
    qsizetype size() const { return m_amounts.size(); }
    bool isEmpty() const { return m_amounts.isEmpty(); }

    // A code as the look-up keeps it: trailing blanks removed.
    static QString key(QStringView code);

private:
    QHash<QString, Decimal4> m_amounts;
};
