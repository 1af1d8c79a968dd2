#pragma once

#include "common/decimal4.h"

#include <cmath>
#include <cstdint>

// The conversions between a stored floating-point amount and its Decimal4 that
// an export makes for every amount, with the same results as Decimal4's own
// (which go through the shortest decimal text) but without a text where the
// answer is plain: for amounts below 2^36 (about 68,000,000,000) two values of
// four decimals are never the same double, so the double nearest to raw/10000
// is the only one whose shortest text is that value.
namespace StoredAmount {

constexpr double PlainLimit = 68719476736.0;   // 2^36

// Decimal4::fromDouble(value).
inline Decimal4 fromDouble(double value)
{
    if (std::fabs(value) < PlainLimit) {
        const double raw = std::nearbyint(value * double(Decimal4::Scale));
        if (raw / double(Decimal4::Scale) == value)
            return Decimal4::fromRaw(std::int64_t(raw));
    }
    return Decimal4::fromDouble(value);
}

// Decimal4::toDouble(): below 2^53 the raw value is exact in a double, and one
// division rounds raw/10000 correctly, as reading its text does.
inline double toDouble(Decimal4 value)
{
    constexpr std::int64_t exact = std::int64_t(1) << 53;
    if (value.raw() < exact && value.raw() > -exact)
        return double(value.raw()) / double(Decimal4::Scale);
    return value.toDouble();
}

} // namespace StoredAmount
