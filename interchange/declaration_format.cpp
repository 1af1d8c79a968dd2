#include "interchange/declaration_format.h"

#include "common/field_text.h"

#include "db/declaration_kind.h"

#include <QVarLengthArray>
#include <limits>

namespace DeclarationFormat {

namespace {

constexpr int CodeWidth = 7;

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Number of decimal places a factor shifts (1 -> 0, 100 -> 2, 1000 -> 3);
// -1 for a factor that is not a power of ten.
int decimalShift(int factor)
{
    int shift = 0;
    while (factor > 1 && factor % 10 == 0) {
        factor /= 10;
        ++shift;
    }
    return factor == 1 ? shift : -1;
}

} // namespace

QString institutionText(QStringView code)
{
    const QStringView stored = FieldText::withoutTrailingBlanks(code);
    QString text = stored.toString();
    if (text.size() < CodeWidth)
        text += QString(CodeWidth - text.size(), u'0');
    return text;
}

QString baseName(const DeclarationKind &kind, QStringView institutionCode, const Period &period)
{
    return kind.code() + institutionText(institutionCode) + period.yearText() + period.monthText();
}

std::optional<Period> periodFromBaseName(QStringView baseName)
{
    if (baseName.size() < 15)
        return std::nullopt;
    const auto year = readInteger(baseName.mid(10, 3));
    const auto month = readInteger(baseName.mid(13, 2));
    if (!year || !month)
        return std::nullopt;
    return Period{*year, *month};
}

QString entryPath(const QString &directory, const QString &baseName)
{
    if (directory.endsWith(u'/'))
        return directory + baseName;
    return directory + u'/' + baseName;
}

bool isThousandsAccount(QStringView accountCode)
{
    return accountCode.size() >= 5 && accountCode[4] == u'p';
}

int amountFactor(QStringView accountCode)
{
    return isThousandsAccount(accountCode) ? 1000 : 1;
}

QString readInstitutionCode(QStringView fieldText)
{
    if (fieldText.size() >= CodeWidth && fieldText.mid(3, 4) == u"0000")
        return fieldText.first(3).toString();
    return fieldText.toString();
}

QByteArrayView readInstitutionCode(QByteArrayView fieldText)
{
    if (fieldText.size() >= CodeWidth && fieldText.sliced(3, 4) == "0000")
        return fieldText.first(3);
    return fieldText;
}

std::optional<QString> accountText(QStringView code, int width)
{
    const QStringView stored = FieldText::withoutTrailingBlanks(code);
    if (stored.size() > width)
        return std::nullopt;
    return stored.toString().rightJustified(width, u'0');
}

std::optional<QString> numberText(Decimal4 value, int factor, int width)
{
    if (factor <= 0)
        return std::nullopt;
    const std::int64_t limit = std::numeric_limits<std::int64_t>::max() / factor;
    if (value.raw() > limit || value.raw() < -limit)
        return std::nullopt;
    QString text = value.multipliedBy(factor).toString();
    // A fraction without its whole part (".785", "-.78") is a number the reader
    // takes; written so when the leading zero would not fit, a value read from a
    // full field can be written back into it.
    if (text.size() > width && (text.startsWith(u"0.") || text.startsWith(u"-0.")))
        text.remove(text.indexOf(u'0'), 1);
    if (text.size() > width)
        return std::nullopt;
    return text.rightJustified(width, u'0');
}

std::optional<Decimal4> readNumber(QStringView fieldText, int factor)
{
    const int shift = decimalShift(factor);
    if (shift < 0)
        return std::nullopt;

    QStringView body = fieldText;
    bool negative = false;
    const qsizetype minus = fieldText.indexOf(u'-');
    if (minus >= 0) {
        // Only the zero padding may stand before the sign.
        for (QChar c : fieldText.first(minus)) {
            if (c != u'0')
                return std::nullopt;
        }
        negative = true;
        body = fieldText.mid(minus + 1);
    }

    // Digits with at most one ".", and at least one digit.
    qsizetype point = -1;
    int digits = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (isAsciiDigit(c)) {
            ++digits;
        } else if (c == u'.' && point < 0) {
            point = i;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;

    // Divide by the factor by moving the decimal point, so the value is rounded
    // once, from its exact text: the whole digits padded with "0" to more than
    // the shift, the point moved left by it, then the fraction. The text is built
    // on the stack (every file reading comes through here, line by line).
    const QStringView whole = point < 0 ? body : body.first(point);
    const QStringView fraction = point < 0 ? QStringView() : body.mid(point + 1);
    QVarLengthArray<QChar, 64> shifted;
    for (qsizetype pad = whole.size(); pad <= shift; ++pad)
        shifted.append(u'0');
    shifted.append(whole.data(), whole.size());
    shifted.insert(shifted.size() - shift, u'.');
    shifted.append(fraction.data(), fraction.size());

    const auto value = Decimal4::parse(QStringView(shifted.constData(), shifted.size()));
    if (!value)
        return std::nullopt;
    return negative ? -*value : *value;
}

std::optional<int> readInteger(QStringView fieldText)
{
    if (fieldText.isEmpty() || fieldText.size() > 9)
        return std::nullopt;
    int value = 0;
    for (QChar c : fieldText) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

} // namespace DeclarationFormat
