#include "common/period.h"

#include <algorithm>

Period Period::fromDate(const QDate &date)
{
    return Period{clampYear(date.year() - MinguoOffset), clampMonth(date.month())};
}

int Period::clampYear(int year)
{
    return std::clamp(year, 0, MaxYear);
}

int Period::clampMonth(int month)
{
    return std::clamp(month, 0, MaxMonth);
}

QString Period::yearText() const
{
    return QString::number(year).rightJustified(3, u'0');
}

QString Period::monthText() const
{
    return QString::number(month).rightJustified(2, u'0');
}
