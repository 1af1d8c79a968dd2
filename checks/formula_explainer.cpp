#include "checks/formula_explainer.h"

#include "checks/formula_evaluator.h"

FormulaExplainer::FormulaExplainer(FormulaSet set, FormulaTables tables, QString connectionName)
    : m_set(std::move(set)), m_tables(std::move(tables)), m_connectionName(std::move(connectionName))
{
    m_names.reserve(m_set.accounts().size());
    for (const FormulaAccount &account : m_set.accounts())
        m_names.insert(account.code, account.name);
}

std::optional<FormulaExplanation> FormulaExplainer::explain(const CheckResultRow &row,
                                                            const AmountLookup &amounts) const
{
    const QList<Formula> &formulas = m_set.formulas();
    if (!row.source || row.source->formula < 0 || row.source->formula >= formulas.size())
        return std::nullopt;
    const Formula &formula = formulas.at(row.source->formula);
    FormulaExplanation explanation = FormulaEvaluator::explain(formula, amounts);
    // One step per term, left side first, as the markers come; without them the
    // period is left unsaid rather than guessed.
    QList<bool> previous;
    const bool periods = FormulaSet::readPeriods(m_tables, formula, &previous, nullptr, m_connectionName);
    qsizetype term = 0;
    for (QList<FormulaStep> *side : {&explanation.left, &explanation.right}) {
        for (FormulaStep &step : *side) {
            step.accName = m_names.value(step.term.accCode);
            if (periods)
                step.previousPeriod = previous.at(term++);
        }
    }
    return explanation;
}
