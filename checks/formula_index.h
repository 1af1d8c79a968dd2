#pragma once

#include "checks/formula_set.h"

#include <QHash>
#include <QList>
#include <QString>

// The formulas of a set by account: for every account code, the positions in
// the set of the formulas that name it on either side, ascending and each once.
// Built once for a month being keyed, so that a changed amount re-judges the
// few formulas that use it instead of all of them.
class FormulaIndex
{
public:
    FormulaIndex() = default;
    explicit FormulaIndex(const FormulaSet &set);

    // The formulas naming `code` (given without trailing blanks, as the terms
    // keep it); empty for an account no formula uses.
    const QList<int> &formulasOf(const QString &code) const;
    qsizetype accountCount() const { return m_byAccount.size(); }

private:
    QHash<QString, QList<int>> m_byAccount;
};
