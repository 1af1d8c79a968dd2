#include "checks/grid_amounts.h"

#include "db/cached_dataset.h"

GridAmounts GridAmounts::operating(const CachedDataset &rows, int year, int month)
{
    return read(rows, year, month, nullptr);
}

GridAmounts GridAmounts::county(const CachedDataset &rows, int year, int month, const QStringList &counties)
{
    return read(rows, year, month, &counties);
}

Decimal4 GridAmounts::amountOf(const CachedDataset &rows, int row)
{
    // As the checks read a stored amount: an empty one is 0.
    return Decimal4::fromDouble(rows.value(row, rows.fieldIndex(QStringLiteral("AMT"))).toDouble());
}

GridAmounts GridAmounts::read(const CachedDataset &rows, int year, int month, const QStringList *counties)
{
    GridAmounts amounts;
    const qsizetype groupCount = counties ? counties->size() : 1;
    amounts.m_groups.resize(groupCount);
    amounts.m_rows.resize(groupCount);
    if (!rows.isOpen())
        return amounts;
    QHash<QString, int> groupOf;
    if (counties) {
        for (int g = 0; g < counties->size(); ++g)
            groupOf.insert(counties->at(g), g);
    }
    const int yearField = rows.fieldIndex(QStringLiteral("M_YEAR"));
    const int monthField = rows.fieldIndex(QStringLiteral("M_MONTH"));
    const int countyField = rows.fieldIndex(QStringLiteral("HSIEN_ID"));
    const int accountField = rows.fieldIndex(QStringLiteral("ACC_CODE"));
    const int count = rows.recordCount();
    for (int row = 0; row < count; ++row) {
        if (rows.value(row, yearField).toInt() != year || rows.value(row, monthField).toInt() != month)
            continue;
        int group = 0;
        if (counties) {
            group = groupOf.value(AmountLookup::key(rows.value(row, countyField).toString()), -1);
            if (group < 0)
                continue;
        }
        const QString code = AmountLookup::key(rows.value(row, accountField).toString());
        QHash<QString, int> &owners = amounts.m_rows[group];
        if (owners.contains(code))
            continue;
        owners.insert(code, row);
        amounts.m_groups[group].add(code, amountOf(rows, row));
        amounts.m_places.insert(row, {group, code});
    }
    return amounts;
}

std::optional<GridAmounts::Place> GridAmounts::placeOf(int row) const
{
    const auto it = m_places.constFind(row);
    if (it == m_places.cend())
        return std::nullopt;
    return it.value();
}

int GridAmounts::rowOf(int group, const QString &code) const
{
    if (group < 0 || group >= m_rows.size())
        return -1;
    return m_rows.at(group).value(code, -1);
}
