#pragma once

#include "checks/amount_lookup.h"

#include <QHash>
#include <QString>
#include <QStringView>

class CachedDataset;

// The amounts of one month by county and account, for the county check: one
// AmountLookup per county, so a term costs one hash look-up by county and one by
// account, never a scan of the month's rows.
//
// Only rows of the month checked are taken: a county tab that holds another
// period than its spin edits finds no amount at all. When a county and account
// come twice (two institutions declared the same month) the first row wins, as
// an exact-match locate over the rows finds the first one.
class CountyAmounts
{
public:
    void add(QStringView county, QStringView account, double amount);

    // The rows of a dataset with the fields M_YEAR, M_MONTH, HSIEN_ID, ACC_CODE
    // and AMT (the county tab's, or one opened on its statement), in its order.
    static CountyAmounts fromRows(const CachedDataset &rows, int year, int month);

    // The amounts of a county (code without trailing blanks); an empty look-up
    // for a county without rows.
    const AmountLookup &of(const QString &county) const;
    // Rows taken (the first of each county and account).
    qsizetype size() const;

private:
    QHash<QString, AmountLookup> m_byCounty;
};
