#pragma once

#include "checks/check_value.h"
#include "checks/formula_set.h"
#include "common/decimal4.h"

#include <QList>
#include <QString>
#include <optional>

// Why a formula holds or fails: every term of each side as the evaluator took it,
// with the running value after it, and the comparison of the two values. Made by
// the evaluator's own walk over the sides (FormulaEvaluator::explain), so the
// last running value of a side is the value the check judged.

// One term of a side and what it did to the running value.
struct FormulaStep
{
    enum class Effect {
        Start,            // the side's first term: its amount is the value
        Combined,         // value <op> amount
        Missing,          // no amount in the month: value unchanged, `op` not applied
        DivisionByZero,   // "/" by 0: the value becomes 0
        NoOperator,       // a blank or unknown pending operator: value unchanged
    };

    FormulaTerm term;                // the code and its own operator
    QString accName;                 // from the account table (FormulaExplainer)
    // TCURR marks the term as the previous month's ("前期"); none when the marker
    // could not be read. Only shown: the check took the amount of the month checked.
    std::optional<bool> previousPeriod;
    std::optional<Decimal4> amount;  // none: the month has no amount for the code
    QString op;                      // the pending operator met here; empty for the first term
    Effect effect = Effect::Start;
    CheckValue value;                // the running value after this term (out of range
                                     // when Decimal4 cannot hold it; later steps may bring it back)
};

struct FormulaExplanation
{
    QString cano;
    QString quop;
    QList<FormulaStep> left;
    QList<FormulaStep> right;
    CheckValue leftValue;    // the value judged: MONEY1 of a failing row (0 without terms)
    CheckValue rightValue;   // MONEY2
    bool holds = true;     // as the check judged it
};
