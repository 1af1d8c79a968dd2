#pragma once

#include "db/cached_dataset.h"
#include "tests/support/database_test.h"

#include <QtTest>
#include <memory>

// The fixture of the dataset tests: a database of its own with six accounts
// (11000, 11010, ...), months of operating data on demand, and the month
// dataset as the operating data tab states it. Derived classes set up with
// `void init() { setUp(); }`.
class MonthDatasetFixture : public DatabaseTest
{
protected:
    static QString accountCode(int i) { return QString::number(11000 + i * 10); }

    void setUp()
    {
        DatabaseTest::init();
        for (int i = 0; i < 6; ++i)
            QVERIFY(m_db->insertRow("CACNO", {{"ACC_CODE", accountCode(i)}, {"ACC_NAME", QString("科目%1").arg(i)}}));
    }

    // One row per account for 995, SERIAL 1..n, AMT = 100 * SERIAL.
    void addMonth(int year, int month, int accounts)
    {
        for (int i = 0; i < accounts; ++i) {
            QVERIFY(m_db->insertRow("MPBANK", {{"M_YEAR", year}, {"M_MONTH", month}, {"BANK_CODE", "995"},
                                               {"ACC_CODE", accountCode(i)}, {"AMT", 100.0 * (i + 1)},
                                               {"SERIAL", i + 1}}));
        }
    }

    // 995's month 115/10, with the update statements of MPBANK.
    static std::unique_ptr<CachedDataset> monthDataset()
    {
        auto ds = std::make_unique<CachedDataset>();
        ds->setSql("Select a.m_year, a.m_month, a.bank_code, a.acc_code, A.SERIAL, "
                   "(A.ACC_CODE || '  ' || B.ACC_NAME) AS ACCNAME, a.amt From MPBANK a, CACNO B "
                   "Where B.acc_code = a.acc_code and a.bank_code = :BANK_CODE and a.m_year = :seYYY "
                   "and a.m_month = :seMM order by a.m_year, a.m_month, a.SERIAL");
        ds->setUpdateTable("MPBANK");
        ds->setParam("BANK_CODE", "995");
        ds->setParam("seYYY", 115);
        ds->setParam(":SEMM", 10);   // names are case-insensitive, the colon optional
        return ds;
    }

    // addMonth(115, 10, accounts) opened in monthDataset().
    std::unique_ptr<CachedDataset> openMonth(int accounts)
    {
        addMonth(115, 10, accounts);
        auto ds = monthDataset();
        ds->open();
        return ds;
    }

    // The stored operating data, "ACC_CODE=AMT;..." in month and serial order.
    QString stored() { return m_db->rowsText("select ACC_CODE, AMT from MPBANK order by M_YEAR, M_MONTH, SERIAL"); }
};
