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
    const QString k = key(code);
    if (!m_amounts.contains(k))
        m_amounts.insert(k, amount);
}
