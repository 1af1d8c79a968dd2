#pragma once

#include "checks/amount_lookup.h"
#include "checks/check_result_row.h"
#include "checks/formula_explanation.h"

#include <QString>
#include <optional>

// What is wrong with the explanation of a check's row, or an empty text: a
// missing-account row has none; a failing formula's row has one that fails, whose
// sides end at MONEY1 and MONEY2, whose every step names its account, and whose
// amounts are the ones of `amounts` (the month checked, whatever a term's period).
inline QString explanationMismatch(const CheckResultRow &row, const std::optional<FormulaExplanation> &e,
                                   const AmountLookup &amounts)
{
    if (!row.left)
        return e ? QStringLiteral("a missing-account row explained") : QString();
    if (!e)
        return QStringLiteral("no explanation");
    if (e->holds)
        return QStringLiteral("explained as holding");
    if (e->leftValue != *row.left || e->rightValue != *row.right)
        return QStringLiteral("explained %1 / %2").arg(e->leftValue.toString(), e->rightValue.toString());
    for (const QList<FormulaStep> *side : {&e->left, &e->right}) {
        const CheckValue end = side->isEmpty() ? CheckValue() : side->last().value;
        if (end != (side == &e->left ? e->leftValue : e->rightValue))
            return QStringLiteral("last running value %1").arg(end.toString());
        for (const FormulaStep &step : *side) {
            if (step.accName.isEmpty())
                return QStringLiteral("%1 without a name").arg(step.term.accCode);
            const Decimal4 *month = amounts.find(step.term.accCode);
            if (bool(month) != bool(step.amount) || (month && *month != *step.amount))
                return QStringLiteral("%1 not at the month's amount").arg(step.term.accCode);
        }
    }
    return {};
}
