#include "checks/formula_index.h"

FormulaIndex::FormulaIndex(const FormulaSet &set)
{
    const QList<Formula> &formulas = set.formulas();
    for (int k = 0; k < formulas.size(); ++k) {
        const Formula &formula = formulas.at(k);
        for (const QList<FormulaTerm> *side : {&formula.left, &formula.right}) {
            for (const FormulaTerm &term : *side) {
                QList<int> &positions = m_byAccount[term.accCode];
                // Formulas come in order, so a repeat is always the last one added.
                if (positions.isEmpty() || positions.constLast() != k)
                    positions.append(k);
            }
        }
    }
}

const QList<int> &FormulaIndex::formulasOf(const QString &code) const
{
    static const QList<int> none;
    const auto it = m_byAccount.constFind(code);
    return it == m_byAccount.cend() ? none : it.value();
}
