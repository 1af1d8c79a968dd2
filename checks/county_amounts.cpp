#include "checks/county_amounts.h"

#include "db/cached_dataset.h"

void CountyAmounts::add(QStringView county, QStringView account, double amount)
{
    m_byCounty[AmountLookup::key(county)].add(account, amount);
}

CountyAmounts CountyAmounts::fromRows(const CachedDataset &rows, int year, int month)
{
    CountyAmounts amounts;
    if (!rows.isOpen())
        return amounts;
    // The fields found once, not by name for every row of the month.
    const int yearField = rows.fieldIndex(QStringLiteral("M_YEAR"));
    const int monthField = rows.fieldIndex(QStringLiteral("M_MONTH"));
    const int countyField = rows.fieldIndex(QStringLiteral("HSIEN_ID"));
    const int accountField = rows.fieldIndex(QStringLiteral("ACC_CODE"));
    const int amountField = rows.fieldIndex(QStringLiteral("AMT"));
    const int count = rows.recordCount();
    for (int row = 0; row < count; ++row) {
        if (rows.value(row, yearField).toInt() != year || rows.value(row, monthField).toInt() != month)
            continue;
        amounts.add(rows.value(row, countyField).toString(), rows.value(row, accountField).toString(),
                    rows.value(row, amountField).toDouble());
    }
    return amounts;
}

const AmountLookup &CountyAmounts::of(const QString &county) const
{
    static const AmountLookup none;
    const auto it = m_byCounty.constFind(county);
    return it == m_byCounty.cend() ? none : it.value();
}

qsizetype CountyAmounts::size() const
{
    qsizetype n = 0;
    for (const AmountLookup &lookup : m_byCounty)
        n += lookup.size();
    return n;
}
