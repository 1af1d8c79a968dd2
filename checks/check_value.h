#pragma once

#include "common/decimal4.h"
#include "common/wide_decimal4.h"

#include <QString>
#include <optional>

// The value of a formula side as the check judges and shows it: a Decimal4, or a
// result beyond Decimal4's 64-bit range. Such a result is never shown as a
// number (a clamped 922,337,203,685,477.5807 would look real): the result window,
// the check reports, velq8-cli check and its explanations all say
// OutOfRangeText instead, and a formula with such a side always fails.
class CheckValue
{
public:
    static inline const QString OutOfRangeText = QStringLiteral("超出範圍");

    constexpr CheckValue() = default;   // 0
    constexpr CheckValue(Decimal4 value) : m_value(value) {}   // every Decimal4 is one
    // The wide running value, out of range when Decimal4 cannot hold it.
    static CheckValue of(WideDecimal4 value)
    {
        CheckValue v;
        v.m_value = value.narrow();
        return v;
    }

    bool isOutOfRange() const { return !m_value; }
    // The value; nothing when it is out of range.
    const std::optional<Decimal4> &decimal() const { return m_value; }

    // Decimal4's plain text ("0.3333", "-12.5"), or OutOfRangeText.
    QString toString() const { return m_value ? m_value->toString() : OutOfRangeText; }

    friend bool operator==(const CheckValue &, const CheckValue &) = default;

private:
    std::optional<Decimal4> m_value = Decimal4();
};
