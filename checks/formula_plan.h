#pragma once

#include "checks/amount_lookup.h"
#include "common/decimal4.h"

#include <QList>
#include <QString>

#include <vector>

struct Formula;

// The formulas of a set prepared once for judging them many times (a county
// check judges them for every county): each term's account as a position in
// the set's list of distinct codes, and each formula's text (left terms,
// comparison, right terms) for the rows of those that fail. Judging a month
// then looks up each code once, not each term of each formula.
class FormulaPlan
{
public:
    // A term's amount by code position: nullptr where the month has none.
    using Amounts = std::vector<const Decimal4 *>;

    FormulaPlan() = default;
    explicit FormulaPlan(const QList<Formula> &formulas);

    // The positions of a formula's terms, in the order of its side.
    const QList<int> &left(qsizetype formula) const { return m_formulas.at(formula).left; }
    const QList<int> &right(qsizetype formula) const { return m_formulas.at(formula).right; }
    // "11000+12000-13000=14000": what a failing formula's remark shows after its prefix.
    const QString &text(qsizetype formula) const { return m_formulas.at(formula).text; }
    qsizetype size() const { return m_formulas.size(); }

    // The amount of every code in `lookup`, by position; valid while it lives.
    Amounts bind(const AmountLookup &lookup) const;

private:
    struct Prepared
    {
        QList<int> left;
        QList<int> right;
        QString text;
    };
    QList<QString> m_codes;
    QList<Prepared> m_formulas;
};
