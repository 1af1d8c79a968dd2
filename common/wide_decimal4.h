#pragma once

#include "common/decimal4.h"

#include <optional>

// A Decimal4 computed in 128 bits: the running value of a formula side, so that
// a step beyond the 64-bit range of Decimal4 (a product that a later division
// brings back) is still exact. Every step rounds as Decimal4's do, to the nearest
// 0.0001, ties to even. A step beyond even 128 bits makes the value out of
// range, and every later step keeps it so: it is never clamped to a number.
class WideDecimal4
{
public:
    using Raw = __int128;

    constexpr WideDecimal4() = default;
    constexpr WideDecimal4(Decimal4 value) : m_raw(value.raw()) {}   // every Decimal4 is one

    static constexpr WideDecimal4 outOfRange()
    {
        WideDecimal4 w;
        w.m_outOfRange = true;
        return w;
    }

    bool isOutOfRange() const { return m_outOfRange; }
    bool isZero() const { return !m_outOfRange && m_raw == 0; }
    bool isNegative() const { return !m_outOfRange && m_raw < 0; }
    // The value as a Decimal4; nothing when it is beyond Decimal4's range.
    std::optional<Decimal4> narrow() const;

    WideDecimal4 operator+(WideDecimal4 o) const;
    WideDecimal4 operator-(WideDecimal4 o) const;
    WideDecimal4 operator*(WideDecimal4 o) const;
    // Dividing by zero is the caller's rule to decide; here it returns 0.
    WideDecimal4 operator/(WideDecimal4 o) const;

    // num / den rounded to the nearest integer, ties to even; den != 0. The one
    // rounding of Decimal4 and of this.
    static Raw divideHalfEven(Raw num, Raw den);

    friend bool operator==(const WideDecimal4 &, const WideDecimal4 &) = default;

private:
    static WideDecimal4 fromRaw(Raw raw, bool overflow);

    Raw m_raw = 0;
    bool m_outOfRange = false;
};
