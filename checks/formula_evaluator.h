#pragma once

#include "checks/amount_lookup.h"
#include "checks/check_result_row.h"
#include "checks/formula_explanation.h"
#include "checks/formula_set.h"
#include "common/decimal4.h"
#include "common/wide_decimal4.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

// The evaluation of the balance formulas, shared by the operating data check,
// the county data check and both check reports.
//
// A side is evaluated strictly from left to right, without precedence: the first
// term's amount is the start value, every later term is combined with the running
// value by the operator written after the term before it ("+", "-", "*", "/"),
// and every step is rounded to four decimals, ties to even. A term whose account
// has no amount in the month leaves the value unchanged (its operator still
// becomes the pending one); a division by 0 makes the value 0; any other
// operator leaves the value unchanged.
//
// The running value is held in 128 bits, so a step past the 64-bit range of
// Decimal4 stays exact and a later step may bring it back. A side whose value
// Decimal4 still cannot hold is out of range (CheckValue): its formula fails and
// its row says so in words, never with a clamped number.
namespace FormulaEvaluator {

// Called before formula k (1..n) is evaluated.
using Progress = std::function<void(int k, int n)>;

// One step of a side: value `value` combined with `amount` by `op`.
WideDecimal4 combine(WideDecimal4 value, QStringView op, Decimal4 amount);

// The value of a side over the amounts.
CheckValue sideValue(const QList<FormulaTerm> &terms, const AmountLookup &amounts);
// The same walk, appending a step per term to *steps (account names left empty):
// the value returned is the last step's. Only explanations ask for the steps.
CheckValue sideValue(const QList<FormulaTerm> &terms, const AmountLookup &amounts, QList<FormulaStep> *steps);

// The text of a side: each term's code followed by its operator ("11000+12000-13000").
QString sideText(const QList<FormulaTerm> &terms);

// Whether a formula with comparison `quop` holds for the two values. A value out
// of range never holds; otherwise an unknown comparison (including empty) always
// holds.
bool holds(QStringView quop, const CheckValue &left, const CheckValue &right);

// Judges one formula. Nothing when it holds or has no left terms (then its
// comparison is never taken); otherwise the result row: remark = prefix + left
// text + comparison + right text, cut to 120 characters, and both values.
std::optional<CheckResultRow> judge(const Formula &formula, const AmountLookup &amounts,
                                    const QString &remarkPrefix = {});

// The steps of both sides and the verdict of judge(), worked out when asked.
FormulaExplanation explain(const Formula &formula, const AmountLookup &amounts);

// Judges every formula of the set in order and appends the rows of those that
// fail, each with the formula's position in the set as its source.
void appendFailingFormulas(QList<CheckResultRow> &rows, const FormulaSet &set,
                           const AmountLookup &amounts, const QString &remarkPrefix = {},
                           const Progress &progress = {});

// The remark of an account without an amount: "缺少營運科目: " + code + "   " + name.
QString missingAccountRemark(const FormulaAccount &account);

// Appends one row without values for every account of the set (in the set's
// account order) that has no amount.
void appendMissingAccounts(QList<CheckResultRow> &rows, const FormulaSet &set,
                           const AmountLookup &amounts);

// Formula rows, then missing-account rows: a whole check over one amount look-up.
QList<CheckResultRow> check(const FormulaSet &set, const AmountLookup &amounts,
                            const Progress &progress = {});

} // namespace FormulaEvaluator
