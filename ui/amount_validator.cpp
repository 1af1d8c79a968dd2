#include "ui/amount_validator.h"

QValidator::State AmountValidator::validate(QString &input, int &) const
{
    return check(input);
}

QValidator::State AmountValidator::check(QStringView text)
{
    if (text.isEmpty())
        return Acceptable;
    int digits = 0;
    int points = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (c == u'.')
            ++points;
        else if (c == u'-' && i == 0)
            continue;
        else
            return Invalid;
    }
    if (points > 1)
        return Invalid;
    return digits > 0 ? Acceptable : Intermediate;
}

int AmountValidator::significantDigits(QStringView text)
{
    qsizetype first = -1;
    qsizetype last = -1;
    const qsizetype point = text.indexOf(u'.');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            continue;
        if (first < 0 && c != u'0')
            first = i;
        // Zeros of the whole part count (1200 is four digits); those ending a
        // fraction do not (1.50 is 1.5).
        if (first >= 0 && (c != u'0' || point < 0 || i < point))
            last = i;
    }
    if (first < 0)
        return 0;
    int digits = 0;
    for (qsizetype i = first; i <= last; ++i) {
        if (text[i] != u'.')
            ++digits;
    }
    return digits;
}
