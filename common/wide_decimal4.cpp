#include "common/wide_decimal4.h"

#include <limits>

WideDecimal4::Raw WideDecimal4::divideHalfEven(Raw num, Raw den)
{
    if (den < 0) {
        num = -num;
        den = -den;
    }
    Raw q = num / den;
    const Raw r = num % den;   // same sign as num
    if (r == 0)
        return q;
    // |r| < den, so twice |r| fits whenever den does not come near the top.
    const Raw magnitude = r < 0 ? -r : r;
    const bool overHalf = magnitude > den - magnitude;
    const bool half = magnitude == den - magnitude;
    if (overHalf || (half && (q % 2) != 0))
        q += num < 0 ? -1 : 1;
    return q;
}

std::optional<Decimal4> WideDecimal4::narrow() const
{
    if (m_outOfRange || m_raw < std::numeric_limits<std::int64_t>::min()
        || m_raw > std::numeric_limits<std::int64_t>::max())
        return std::nullopt;
    return Decimal4::fromRaw(std::int64_t(m_raw));
}

WideDecimal4 WideDecimal4::fromRaw(Raw raw, bool overflow)
{
    WideDecimal4 w;
    w.m_raw = overflow ? 0 : raw;
    w.m_outOfRange = overflow;
    return w;
}

WideDecimal4 WideDecimal4::operator+(WideDecimal4 o) const
{
    Raw sum = 0;
    const bool overflow = __builtin_add_overflow(m_raw, o.m_raw, &sum);
    return fromRaw(sum, overflow || m_outOfRange || o.m_outOfRange);
}

WideDecimal4 WideDecimal4::operator-(WideDecimal4 o) const
{
    Raw difference = 0;
    const bool overflow = __builtin_sub_overflow(m_raw, o.m_raw, &difference);
    return fromRaw(difference, overflow || m_outOfRange || o.m_outOfRange);
}

WideDecimal4 WideDecimal4::operator*(WideDecimal4 o) const
{
    Raw product = 0;
    const bool overflow = __builtin_mul_overflow(m_raw, o.m_raw, &product);
    if (overflow || m_outOfRange || o.m_outOfRange)
        return outOfRange();
    return fromRaw(divideHalfEven(product, Decimal4::Scale), false);
}

WideDecimal4 WideDecimal4::operator/(WideDecimal4 o) const
{
    if (m_outOfRange || o.m_outOfRange)
        return outOfRange();
    if (o.m_raw == 0)
        return {};
    Raw scaled = 0;
    if (__builtin_mul_overflow(m_raw, Raw(Decimal4::Scale), &scaled))
        return outOfRange();
    return fromRaw(divideHalfEven(scaled, o.m_raw), false);
}
