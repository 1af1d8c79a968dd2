#pragma once

#include <QString>
#include <QStringView>
#include <compare>
#include <cstdint>
#include <optional>

// The check value: a fixed-point decimal with four fractional digits, held as a
// 64-bit integer equal to the value times 10000. Every conversion and every
// arithmetic step rounds to the nearest 0.0001, ties to even, so checks compare
// exact values and never floating-point noise.
class Decimal4
{
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Decimal4() = default;

    static constexpr Decimal4 fromRaw(std::int64_t raw) { Decimal4 d; d.m_raw = raw; return d; }
    static constexpr Decimal4 fromInt(std::int64_t units) { return fromRaw(units * Scale); }
    // Converts a stored floating-point amount. The double is first taken at its
    // shortest round-trip decimal text, so 0.00015 (stored as 0.000149999...) is the
    // tie it was typed as and rounds to 0.0002.
    static Decimal4 fromDouble(double value);
    // Reads a plain decimal text: optional sign, digits, optional "." and digits.
    // Leading zeros are allowed; more than four decimals round half to even.
    // Returns nothing for any other text (empty, blanks, letters, exponent,
    // a value too large for the 64-bit range).
    static std::optional<Decimal4> parse(QStringView text);

    constexpr std::int64_t raw() const { return m_raw; }
    double toDouble() const;
    bool isZero() const { return m_raw == 0; }
    bool isNegative() const { return m_raw < 0; }

    // Plain decimal text: "-" for negatives, no digit grouping, at most four
    // decimals, no trailing zeros and no "." for a whole value ("0.3333", "-12.5", "0").
    QString toString() const;

    Decimal4 operator+(Decimal4 o) const { return fromRaw(m_raw + o.m_raw); }
    Decimal4 operator-(Decimal4 o) const { return fromRaw(m_raw - o.m_raw); }
    Decimal4 operator-() const { return fromRaw(-m_raw); }
    Decimal4 operator*(Decimal4 o) const;   // rounded half to even
    // Division rounded half to even. Dividing by zero is the caller's rule to
    // decide (the formula check makes it 0); here it returns 0.
    Decimal4 operator/(Decimal4 o) const;
    Decimal4 multipliedBy(std::int64_t factor) const { return fromRaw(m_raw * factor); }
    Decimal4 dividedBy(std::int64_t divisor) const; // rounded half to even

    friend constexpr auto operator<=>(Decimal4 a, Decimal4 b) = default;

private:
    std::int64_t m_raw = 0;
};
