#pragma once

#include "checks/amount_lookup.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class CachedDataset;

// The amounts of a month as a data tab's grid holds them, for the check while
// keying: one AmountLookup per group (the one group of the operating data, or
// each county of the county data) taken from the dataset's rows by the rules
// the checks read them by, so the two judge the same amounts:
//  - only rows of the month checked count;
//  - the first row of a group and account wins (an exact-match locate over the
//    rows finds the first one), later ones change nothing;
//  - a row of a county that is not judged counts for nothing.
// It also knows which row holds each amount that counts, so a changed cell
// becomes a changed amount of one group.
class GridAmounts
{
public:
    // Where a row's amount counts: its group and its account (without trailing blanks).
    struct Place
    {
        int group = -1;
        QString code;
    };

    // The rows of the operating data tab (ACC_CODE, AMT, M_YEAR, M_MONTH): one group.
    static GridAmounts operating(const CachedDataset &rows, int year, int month);
    // The rows of the county tab (HSIEN_ID as well), one group per county of
    // `counties` (codes without trailing blanks), in that order.
    static GridAmounts county(const CachedDataset &rows, int year, int month, const QStringList &counties);

    const QList<AmountLookup> &groups() const { return m_groups; }
    // Where the amount of `row` counts; none when it counts for nothing.
    std::optional<Place> placeOf(int row) const;
    // The first row holding the amount of `code` in `group`, or -1.
    int rowOf(int group, const QString &code) const;
    // The amount a row holds, as the checks convert it.
    static Decimal4 amountOf(const CachedDataset &rows, int row);

private:
    static GridAmounts read(const CachedDataset &rows, int year, int month, const QStringList *counties);

    QList<AmountLookup> m_groups;
    QHash<int, Place> m_places;            // row -> place, for the rows that count
    QList<QHash<QString, int>> m_rows;     // per group: account -> row
};
