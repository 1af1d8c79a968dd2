#include "checks/explanation_text.h"

namespace ExplanationText {

namespace {

QString note(const FormulaStep &step)
{
    using Effect = FormulaStep::Effect;
    QStringList notes;
    switch (step.effect) {
    case Effect::Start:
        notes << QStringLiteral("起始值");
        break;
    case Effect::Combined:
        break;
    case Effect::Missing:
        notes << QStringLiteral("無金額，略過");
        break;
    case Effect::DivisionByZero:
        notes << QStringLiteral("除數為零，累計歸零");
        break;
    case Effect::NoOperator:
        notes << (step.op.isEmpty() ? QStringLiteral("無運算符號，累計不變") : QStringLiteral("運算符號無效，累計不變"));
        break;
    }
    // The marker is only shown: the check took the amount of the month checked.
    if (step.previousPeriod.value_or(false))
        notes << QStringLiteral("前期標記，仍取檢核月份金額");
    return notes.join(QStringLiteral("；"));
}

} // namespace

QString number(Decimal4 value, Numbers numbers)
{
    QString text = value.toString();
    if (numbers == Numbers::Plain)
        return text;
    const qsizetype begin = value.isNegative() ? 1 : 0;
    qsizetype end = text.indexOf(u'.');
    if (end < 0)
        end = text.size();
    for (qsizetype at = end - 3; at > begin; at -= 3)
        text.insert(at, u',');
    return text;
}

QString number(const CheckValue &value, Numbers numbers)
{
    return value.decimal() ? number(*value.decimal(), numbers) : CheckValue::OutOfRangeText;
}

QString side(bool left)
{
    return left ? QStringLiteral("左式") : QStringLiteral("右式");
}

QString period(const FormulaStep &step)
{
    if (!step.previousPeriod)
        return {};
    return *step.previousPeriod ? QStringLiteral("前期") : QStringLiteral("當期");
}

QStringList stepFields(const FormulaStep &step, Numbers numbers)
{
    return {step.term.accCode,
            step.accName,
            period(step),
            step.op,
            step.amount ? number(*step.amount, numbers) : QStringLiteral("缺少"),
            number(step.value, numbers),
            note(step)};
}

QStringList comparisonFields(const FormulaExplanation &explanation, Numbers numbers)
{
    return {number(explanation.leftValue, numbers), explanation.quop, number(explanation.rightValue, numbers),
            explanation.holds ? QStringLiteral("成立") : QStringLiteral("不成立")};
}

} // namespace ExplanationText
