#pragma once

#include "checks/formula_explanation.h"
#include "common/decimal4.h"

#include <QString>
#include <QStringList>

// The words of an explanation, the same in the result window and in
// velq8-cli check --explain: one list of fields per step and one for the
// comparison, so both say exactly the same.
namespace ExplanationText {

// Values are shown exact to four decimals (the check compares them so, where the
// grid's ",#.###" would hide the fourth): plain in the command's lines,
// grouped by thousands in the window.
enum class Numbers { Plain, Grouped };

QString number(Decimal4 value, Numbers numbers);
// The same, or CheckValue::OutOfRangeText for a value out of range.
QString number(const CheckValue &value, Numbers numbers);

// "左式" or "右式".
QString side(bool left);

// "前期" for a step whose term's TCURR is marked, "當期" for one whose is blank,
// empty when the marker is not known.
QString period(const FormulaStep &step);

// A step's fields: code, name, period, the operator met, the amount (or "缺少"),
// the running value after it, and a note on what the step did.
QStringList stepFields(const FormulaStep &step, Numbers numbers);
inline constexpr int StepFieldCount = 7;

// The comparison: left value, comparison, right value, "成立" or "不成立".
QStringList comparisonFields(const FormulaExplanation &explanation, Numbers numbers);

} // namespace ExplanationText
