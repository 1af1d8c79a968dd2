#include "checks/amount_lookup.h"

QString AmountLookup::key(QStringView code)
{
    qsizetype n = code.size();
    while (n > 0 && code.at(n - 1) == u' ')
        --n;
    return code.left(n).toString();
}

void AmountLookup::add(QStringView code, Decimal4 amount)
{
    // The first amount of a code stays.
    m_amounts.emplace(key(code), amount);
}
