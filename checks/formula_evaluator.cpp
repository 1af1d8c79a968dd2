#include "checks/formula_evaluator.h"

#include <limits>

namespace FormulaEvaluator {

namespace {

// Sums and differences stay at the edge of the 64-bit range instead of wrapping
// round to the other sign (multiplication and division already do).
Decimal4 saturated(std::int64_t a, std::int64_t b, bool subtract)
{
    std::int64_t result = 0;
    const bool overflow = subtract ? __builtin_sub_overflow(a, b, &result)
                                   : __builtin_add_overflow(a, b, &result);
    if (!overflow)
        return Decimal4::fromRaw(result);
    const bool positive = subtract ? b < 0 : b > 0;
    return Decimal4::fromRaw(positive ? std::numeric_limits<std::int64_t>::max()
                                      : std::numeric_limits<std::int64_t>::min());
}

} // namespace

Decimal4 combine(Decimal4 value, QStringView op, Decimal4 amount)
{
    if (op.size() != 1)
        return value;
    switch (op.at(0).unicode()) {
    case u'+':
        return saturated(value.raw(), amount.raw(), false);
    case u'-':
        return saturated(value.raw(), amount.raw(), true);
    case u'*':
        return value * amount;
    case u'/':
        return amount.isZero() ? Decimal4() : value / amount;
    default:
        return value;
    }
}

Decimal4 sideValue(const QList<FormulaTerm> &terms, const AmountLookup &amounts)
{
    Decimal4 value;
    QStringView pending;
    bool first = true;
    for (const FormulaTerm &term : terms) {
        if (const Decimal4 *amount = amounts.find(term.accCode))
            value = first ? *amount : combine(value, pending, *amount);
        pending = term.noop;
        first = false;
    }
    return value;
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

bool holds(QStringView quop, Decimal4 left, Decimal4 right)
{
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
    const Decimal4 left = sideValue(formula.left, amounts);
    const Decimal4 right = sideValue(formula.right, amounts);
    if (holds(formula.quop, left, right))
        return std::nullopt;
    // The texts are built only for the formulas that fail.
    CheckResultRow row;
    row.remark = CheckResultRow::cutRemark(remarkPrefix + sideText(formula.left) + formula.quop
                                           + sideText(formula.right));
    row.left = left;
    row.right = right;
    return row;
}

void appendFailingFormulas(QList<CheckResultRow> &rows, const FormulaSet &set,
                           const AmountLookup &amounts, const QString &remarkPrefix,
                           const Progress &progress)
{
    const QList<Formula> &formulas = set.formulas();
    const int n = int(formulas.size());
    for (int k = 0; k < n; ++k) {
        if (progress)
            progress(k + 1, n);
        if (auto row = judge(formulas.at(k), amounts, remarkPrefix))
            rows.append(std::move(*row));
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
            rows.append({missingAccountRemark(account), std::nullopt, std::nullopt});
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
