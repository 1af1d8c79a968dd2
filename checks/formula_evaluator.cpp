#include "checks/formula_evaluator.h"

#include <limits>

namespace FormulaEvaluator {

namespace {

using Effect = FormulaStep::Effect;

struct Combined
{
    WideDecimal4 value;
    Effect effect;
};

// One arithmetic step and what it did. combine() and the walk of a side both
// come here, so an explanation names the rule that really made its value.
inline Combined combined(WideDecimal4 value, QStringView op, Decimal4 amount)
{
    if (op.size() != 1)
        return {value, Effect::NoOperator};
    switch (op.at(0).unicode()) {
    case u'+':
        return {value + amount, Effect::Combined};
    case u'-':
        return {value - amount, Effect::Combined};
    case u'*':
        return {value * amount, Effect::Combined};
    case u'/':
        if (amount.isZero())
            return {WideDecimal4(), Effect::DivisionByZero};
        return {value / amount, Effect::Combined};
    default:
        return {value, Effect::NoOperator};
    }
}

// The left-to-right walk of a side, the only one: the value a check judges and
// the steps an explanation shows both come from here. `record` sees each term
// after it is taken; the check passes one that does nothing, which the compiler
// removes, so judging pays nothing for explanations.
// `find(i)` gives the amount of term i, from a look-up or a plan's bound amounts.
template <typename Find, typename Record>
CheckValue walkSide(const QList<FormulaTerm> &terms, Find &&find, Record &&record)
{
    WideDecimal4 value;
    QStringView pending;
    bool first = true;
    for (qsizetype i = 0; i < terms.size(); ++i) {
        const FormulaTerm &term = terms.at(i);
        const Decimal4 *amount = find(i);
        Effect effect = Effect::Missing;
        if (amount && first) {
            value = *amount;
            effect = Effect::Start;
        } else if (amount) {
            const Combined step = combined(value, pending, *amount);
            value = step.value;
            effect = step.effect;
        }
        record(term, amount, first ? QStringView() : pending, effect, value);
        pending = term.noop;
        first = false;
    }
    return CheckValue::of(value);
}

// The amounts of a side's terms looked up by code.
auto byCode(const QList<FormulaTerm> &terms, const AmountLookup &amounts)
{
    return [&terms, &amounts](qsizetype i) { return amounts.find(terms.at(i).accCode); };
}

// The amounts of a side's terms by the plan's positions.
auto byPosition(const QList<int> &positions, const FormulaPlan::Amounts &amounts)
{
    return [&positions, &amounts](qsizetype i) { return amounts[size_t(positions.at(i))]; };
}

// What a judged side records: nothing (the compiler removes the call).
constexpr auto noSteps = [](const FormulaTerm &, const Decimal4 *, QStringView, Effect, WideDecimal4) {};

// Whether judge() lets a formula pass with these side values: a formula without
// left terms is never judged.
bool passes(const Formula &formula, const CheckValue &left, const CheckValue &right)
{
    return formula.left.isEmpty() || holds(formula.quop, left, right);
}

} // namespace

WideDecimal4 combine(WideDecimal4 value, QStringView op, Decimal4 amount)
{
    return combined(value, op, amount).value;
}

CheckValue sideValue(const QList<FormulaTerm> &terms, const AmountLookup &amounts)
{
    return walkSide(terms, byCode(terms, amounts), noSteps);
}

CheckValue sideValue(const QList<FormulaTerm> &terms, const AmountLookup &amounts, QList<FormulaStep> *steps)
{
    if (!steps)
        return sideValue(terms, amounts);
    return walkSide(terms, byCode(terms, amounts),
                    [steps](const FormulaTerm &term, const Decimal4 *amount, QStringView op, Effect effect,
                            WideDecimal4 value) {
                        FormulaStep step;
                        step.term = term;
                        if (amount)
                            step.amount = *amount;
                        step.op = op.toString();
                        step.effect = effect;
                        step.value = CheckValue::of(value);
                        steps->append(std::move(step));
                    });
}

QString sideText(const QList<FormulaTerm> &terms)
{
    QString text;
    for (const FormulaTerm &term : terms) {
        text += term.accCode;
        text += term.noop;
    }
    return text;
}

bool holds(QStringView quop, const CheckValue &leftValue, const CheckValue &rightValue)
{
    // A value the check cannot hold is never taken as holding, whatever the comparison.
    if (leftValue.isOutOfRange() || rightValue.isOutOfRange())
        return false;
    const Decimal4 left = *leftValue.decimal();
    const Decimal4 right = *rightValue.decimal();
    if (quop == u"=")
        return left == right;
    if (quop == u">")
        return left > right;
    if (quop == u"<")
        return left < right;
    if (quop == u">=")
        return left >= right;
    if (quop == u"<=")
        return left <= right;
    if (quop == u"<>")
        return left != right;
    return true;
}

std::optional<CheckResultRow> judge(const Formula &formula, const AmountLookup &amounts,
                                    const QString &remarkPrefix)
{
    // The comparison is taken with the first left term: without one there is
    // nothing to compare with, and the formula is not judged.
    if (formula.left.isEmpty())
        return std::nullopt;
    const CheckValue left = sideValue(formula.left, amounts);
    const CheckValue right = sideValue(formula.right, amounts);
    if (passes(formula, left, right))
        return std::nullopt;
    // The texts are built only for the formulas that fail.
    CheckResultRow row;
    row.remark = CheckResultRow::cutRemark(remarkPrefix + sideText(formula.left) + formula.quop
                                           + sideText(formula.right));
    row.left = left;
    row.right = right;
    return row;
}

FormulaExplanation explain(const Formula &formula, const AmountLookup &amounts)
{
    FormulaExplanation explanation;
    explanation.cano = formula.cano;
    explanation.quop = formula.quop;
    explanation.leftValue = sideValue(formula.left, amounts, &explanation.left);
    explanation.rightValue = sideValue(formula.right, amounts, &explanation.right);
    explanation.holds = passes(formula, explanation.leftValue, explanation.rightValue);
    return explanation;
}

void appendFailingFormulas(QList<CheckResultRow> &rows, const FormulaSet &set,
                           const AmountLookup &amounts, const QString &remarkPrefix,
                           const Progress &progress)
{
    const QList<Formula> &formulas = set.formulas();
    const FormulaPlan &plan = set.plan();
    const int n = int(formulas.size());
    // Each code looked up once, then every term by its position; the formulas'
    // texts were made with the plan.
    const FormulaPlan::Amounts bound = plan.bind(amounts);
    for (int k = 0; k < n; ++k) {
        if (progress)
            progress(k + 1, n);
        const Formula &formula = formulas.at(k);
        if (formula.left.isEmpty())
            continue;
        const CheckValue left = walkSide(formula.left, byPosition(plan.left(k), bound), noSteps);
        const CheckValue right = walkSide(formula.right, byPosition(plan.right(k), bound), noSteps);
        if (passes(formula, left, right))
            continue;
        CheckResultRow row;
        row.remark = CheckResultRow::cutRemark(remarkPrefix + plan.text(k));
        row.left = left;
        row.right = right;
        row.source = CheckResultRow::Source{k, -1};
        rows.append(std::move(row));
    }
}

QString missingAccountRemark(const FormulaAccount &account)
{
    return CheckResultRow::cutRemark(QStringLiteral("缺少營運科目: ") + account.code + QStringLiteral("   ")
                                     + account.name);
}

void appendMissingAccounts(QList<CheckResultRow> &rows, const FormulaSet &set,
                           const AmountLookup &amounts)
{
    for (const FormulaAccount &account : set.accounts()) {
        if (!amounts.contains(account.code))
            rows.append({missingAccountRemark(account), std::nullopt, std::nullopt, std::nullopt});
    }
}

QList<CheckResultRow> check(const FormulaSet &set, const AmountLookup &amounts, const Progress &progress)
{
    QList<CheckResultRow> rows;
    appendFailingFormulas(rows, set, amounts, {}, progress);
    appendMissingAccounts(rows, set, amounts);
    return rows;
}

} // namespace FormulaEvaluator
