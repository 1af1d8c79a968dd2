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
