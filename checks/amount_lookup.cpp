#include "checks/amount_lookup.h"

#include "common/field_text.h"

QString AmountLookup::key(QStringView code)
{
    return FieldText::withoutTrailingBlanks(code).toString();
}

void AmountLookup::add(QStringView code, Decimal4 amount)
{
    // The first amount of a code stays.
    m_amounts.emplace(key(code), amount);
}
