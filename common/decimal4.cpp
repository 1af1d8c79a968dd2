#include "common/decimal4.h"

#include "common/wide_decimal4.h"

#include <QByteArray>

#include <charconv>
#include <limits>

namespace {

using Wide = __int128;

// The rounding of every step, ties to even: one function for Decimal4 and the
// wide value of the formula check.
Wide divideHalfEven(Wide num, Wide den)
{
    return WideDecimal4::divideHalfEven(num, den);
}

bool fitsRaw(Wide value)
{
    return value >= std::numeric_limits<std::int64_t>::min()
        && value <= std::numeric_limits<std::int64_t>::max();
}

std::int64_t clampRaw(Wide value)
{
    if (value > std::numeric_limits<std::int64_t>::max())
        return std::numeric_limits<std::int64_t>::max();
    if (value < std::numeric_limits<std::int64_t>::min())
        return std::numeric_limits<std::int64_t>::min();
    return std::int64_t(value);
}

} // namespace

Decimal4 Decimal4::fromDouble(double value)
{
    if (value != value)   // NaN: no amount
        return {};
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        return {};
    const QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    const auto parsed = parse(text);
    return parsed.value_or(fromRaw(value < 0 ? std::numeric_limits<std::int64_t>::min()
                                             : std::numeric_limits<std::int64_t>::max()));
}

std::optional<Decimal4> Decimal4::parse(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    Wide whole = 0;
    int wholeDigits = 0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        whole = whole * 10 + (text[i].unicode() - '0');
        if (whole > Wide(std::numeric_limits<std::int64_t>::max()))
            return std::nullopt;
        ++wholeDigits;
        ++i;
    }
    Wide fraction = 0;     // first four decimals
    int fractionDigits = 0;
    int roundDigit = -1;   // fifth decimal
    bool stickyBeyond = false;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
            const int d = text[i].unicode() - '0';
            if (fractionDigits < 4)
                fraction = fraction * 10 + d;
            else if (fractionDigits == 4)
                roundDigit = d;
            else if (d != 0)
                stickyBeyond = true;
            ++fractionDigits;
            ++i;
        }
    }
    if (i != n || (wholeDigits == 0 && fractionDigits == 0))
        return std::nullopt;
    for (int k = fractionDigits; k < 4; ++k)
        fraction *= 10;
    Wide raw = whole * Scale + fraction;
    if (roundDigit > 5 || (roundDigit == 5 && (stickyBeyond || (raw % 2) != 0)))
        raw += 1;
    if (negative)
        raw = -raw;
    if (!fitsRaw(raw))
        return std::nullopt;
    return fromRaw(std::int64_t(raw));
}

double Decimal4::toDouble() const
{
    // Below 2^53 both operands are exact doubles and IEEE division rounds
    // correctly, so this is the double nearest to the decimal value.
    constexpr std::int64_t exact = std::int64_t(1) << 53;
    if (m_raw >= -exact && m_raw <= exact)
        return double(m_raw) / double(Scale);
    // Beyond (amounts from about 900 billion on, which a declaration file's
    // fourteen digits hold) the raw value is no longer exact as a double and the
    // division would land beside the amount: 16105451412123 became
    // 16105451412123.002, which no longer fits its field when written back. The
    // text, read back correctly rounded, gives the nearest double.
    const QByteArray text = toString().toLatin1();
    double value = 0;
    std::from_chars(text.constData(), text.constData() + text.size(), value);
    return value;
}

QString Decimal4::toString() const
{
    const Wide raw = m_raw;
    const Wide magnitude = raw < 0 ? -raw : raw;
    const std::int64_t whole = std::int64_t(magnitude / Scale);
    int fraction = int(magnitude % Scale);
    QString text;
    if (raw < 0)
        text += u'-';
    text += QString::number(whole);
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, u'0');
        while (digits.endsWith(u'0'))
            digits.chop(1);
        text += u'.';
        text += digits;
    }
    return text;
}

Decimal4 Decimal4::operator*(Decimal4 o) const
{
    return fromRaw(clampRaw(divideHalfEven(Wide(m_raw) * Wide(o.m_raw), Scale)));
}

Decimal4 Decimal4::operator/(Decimal4 o) const
{
    if (o.m_raw == 0)
        return {};
    return fromRaw(clampRaw(divideHalfEven(Wide(m_raw) * Scale, o.m_raw)));
}

Decimal4 Decimal4::dividedBy(std::int64_t divisor) const
{
    if (divisor == 0)
        return {};
    return fromRaw(clampRaw(divideHalfEven(m_raw, divisor)));
}
