#include "checks/formula_plan.h"

#include "checks/formula_evaluator.h"
#include "checks/formula_set.h"

#include <QHash>

FormulaPlan::FormulaPlan(const QList<Formula> &formulas)
{
    QHash<QString, int> positions;
    auto positionOf = [&](const QString &code) {
        const auto it = positions.constFind(code);
        if (it != positions.cend())
            return it.value();
        const int at = int(m_codes.size());
        positions.insert(code, at);
        m_codes.append(code);
        return at;
    };
    m_formulas.reserve(formulas.size());
    for (const Formula &formula : formulas) {
        Prepared p;
        for (const FormulaTerm &term : formula.left)
            p.left.append(positionOf(term.accCode));
        for (const FormulaTerm &term : formula.right)
            p.right.append(positionOf(term.accCode));
        p.text = FormulaEvaluator::sideText(formula.left) + formula.quop + FormulaEvaluator::sideText(formula.right);
        m_formulas.append(std::move(p));
    }
}

FormulaPlan::Amounts FormulaPlan::bind(const AmountLookup &lookup) const
{
    Amounts amounts(size_t(m_codes.size()), nullptr);
    for (qsizetype i = 0; i < m_codes.size(); ++i)
        amounts[size_t(i)] = lookup.find(m_codes.at(i));
    return amounts;
}
