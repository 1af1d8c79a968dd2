#include "common/number_picture.h"

#include <charconv>
#include <cmath>

namespace NumberPicture {

namespace {

struct Picture
{
    bool grouping = false;
    int maxDecimals = 0;   // '#' after the point: optional digits
    int minDecimals = 0;   // '0' after the point: always printed
};

Picture parsePicture(QStringView picture)
{
    Picture p;
    p.grouping = picture.contains(u',');
    const qsizetype point = picture.indexOf(u'.');
    if (point >= 0) {
        for (qsizetype i = point + 1; i < picture.size(); ++i) {
            if (picture[i] == u'#' || picture[i] == u'0') {
                ++p.maxDecimals;
                if (picture[i] == u'0')
                    p.minDecimals = p.maxDecimals;
            }
        }
    }
    return p;
}

// Digits of |value| rounded half away from zero to `decimals` places, as the
// whole part and the fraction part (exactly `decimals` digits).
void roundedDigits(double value, int decimals, QString *whole, QString *fraction)
{
    char buffer[400];
    // fabs, not a test for < 0: a negative zero (typed "-0") is not below zero
    // and would give its minus to the digits.
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    QString text = QString::fromLatin1(buffer, r.ptr - buffer);
    const qsizetype point = text.indexOf(u'.');
    QString w = point < 0 ? text : text.left(point);
    QString f = point < 0 ? QString() : text.mid(point + 1);
    const bool roundUp = f.size() > decimals && f[decimals] >= u'5';
    f = f.left(decimals).leftJustified(decimals, u'0');
    QString digits = w + f;
    if (roundUp) {
        qsizetype i = digits.size() - 1;
        while (i >= 0 && digits[i] == u'9') {
            digits[i] = u'0';
            --i;
        }
        if (i < 0)
            digits.prepend(u'1');
        else
            digits[i] = QChar(digits[i].unicode() + 1);
    }
    *whole = digits.left(digits.size() - decimals);
    *fraction = digits.right(decimals);
    while (whole->size() > 1 && (*whole)[0] == u'0')
        whole->remove(0, 1);
}

} // namespace

QString format(double value, QStringView picture)
{
    if (value != value)
        return {};
    const Picture p = parsePicture(picture);
    QString whole, fraction;
    roundedDigits(value, p.maxDecimals, &whole, &fraction);
    while (fraction.size() > p.minDecimals && fraction.endsWith(u'0'))
        fraction.chop(1);
    const bool isZero = (whole.isEmpty() || whole == u"0") && fraction.count(u'0') == fraction.size();
    if (isZero && p.minDecimals == 0)
        return {};
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    if (p.grouping) {
        for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
            whole.insert(i, u',');
    }
    QString text = value < 0 && !isZero ? QStringLiteral("-") : QString();
    text += whole;
    if (!fraction.isEmpty()) {
        text += u'.';
        text += fraction;
    }
    return text;
}

QString withoutLeadingZero(const QString &formatted)
{
    if (formatted.startsWith(QLatin1String("0.")))
        return formatted.mid(1);
    if (formatted.startsWith(QLatin1String("-0.")))
        return u'-' + formatted.mid(2);
    return formatted;
}

bool parseAmount(QStringView text, double *value)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty()) {
        *value = 0;
        return true;
    }
    qsizetype i = 0;
    if (t[0] == u'-')
        ++i;
    int digits = 0;
    int points = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (c == u'.' && ++points == 1)
            continue;
        else
            return false;
    }
    if (digits == 0)
        return false;
    bool ok = false;
    const double v = t.toString().toDouble(&ok);
    if (!ok)
        return false;
    *value = v;
    return true;
}

} // namespace NumberPicture
