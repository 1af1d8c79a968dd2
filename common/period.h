#pragma once

#include <QDate>
#include <QString>

// A declaration period: the year of the local calendar (Gregorian year - 1911)
// and the month. A year or month of 0 means "any" in the tab queries.
struct Period
{
    int year = 0;   // 0..999
    int month = 0;  // 0..12

    static constexpr int MinguoOffset = 1911;
    static constexpr int MaxYear = 999;
    static constexpr int MaxMonth = 12;

    static Period fromDate(const QDate &date);

    // The spin edits' rule: 1000 and more become 999, 13 and more become 12;
    // negatives become 0.
    static int clampYear(int year);
    static int clampMonth(int month);

    bool isComplete() const { return year != 0 && month != 0; }

    // "088" and "05": the widths of the declaration files.
    QString yearText() const;
    QString monthText() const;

    friend bool operator==(const Period &, const Period &) = default;
};
