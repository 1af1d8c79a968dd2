#include "reports/operating_check_report.h"
#include "reports/operating_detail_report.h"
#include "tests/support/report_pages.h"
#include "tests/support/test_database.h"

#include <QTest>

// The two operating reports over a small database: their rows, pictures,
// units, title blocks and the messages when there is nothing to print.
class TstOperatingReports : public QObject
{
    Q_OBJECT
private slots:
    void detailScalesAmountsByUnit_data();
    void detailScalesAmountsByUnit();
    void detailRowsOfAPeriod_data();
    void detailRowsOfAPeriod();
    void checkReport_data();
    void checkReport();
};

namespace {

// 115/3: four CACNO accounts and one formula 10000 = 20000 + 30000 that holds.
// Institution 995 has the first three accounts and one account unknown to
// CACNO; institution 996 has the fourth, with the lowest SERIAL.
bool month(TestDatabase &db)
{
    return db.exec({"insert into BN01 (BANK_NO, BANK_NAME) values ('995', '範例銀行'), ('996', '第二銀行')",
                    "insert into CACNO (ACC_CODE, ACC_NAME) values ('10000', '資產'), ('20000', '負債'), ('30000', '權益'), "
                    "('40000', '收入')",
                    "insert into RuleNo1 (cano, quop) values ('001', '=')",
                    "insert into RuleNo2 (cano, left_flag, nserial, acc_code, noop) values "
                    "('001', '0', 1, '10000', ''), ('001', '1', 1, '20000', '+'), ('001', '1', 2, '30000', '')",
                    "insert into MPBANK (M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL) values "
                    "(115, 3, '995', '10000', 1234567.0, 1), (115, 3, '995', '20000', 1000000.0, 2), "
                    "(115, 3, '995', '30000', 234567.0, 3), (115, 3, '995', '99999', 7.0, 4), "
                    "(115, 3, '996', '40000', 5.0, 0)"});
}

using ReportPages::request;

QStringList codes(const QList<ReportRow> &rows)
{
    QStringList out;
    for (const ReportRow &row : rows)
        out << row.cells.value(0);
    return out;
}

} // namespace

void TstOperatingReports::detailScalesAmountsByUnit_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("printed");   // the amount 1234567
    QTest::addColumn<QString>("titled");    // the unit the title block names
    QTest::newRow("元") << "元" << "1,234,567" << "元";
    QTest::newRow("仟元") << "仟元" << "1,234.567" << "仟元";
    QTest::newRow("萬元: three decimals at most") << "萬元" << "123.457" << "萬元";
    QTest::newRow("百萬元") << "百萬元" << "1.235" << "百萬元";
    // A unit left blank prints unscaled amounts under the unit 元.
    QTest::newRow("empty: 元") << "" << "1,234,567" << "元";
    QTest::newRow("blanks: 元") << "   " << "1,234,567" << "元";
    QTest::newRow("a full-width blank: 元") << "\u3000" << "1,234,567" << "元";
    QTest::newRow("blanks around a unit") << " 仟元  " << "1,234.567" << "仟元";
}

void TstOperatingReports::detailScalesAmountsByUnit()
{
    QFETCH(QString, unit);
    QFETCH(QString, printed);
    QFETCH(QString, titled);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid() && month(db), qPrintable(db.lastError()));
    const ReportOutcome outcome = OperatingDetailReport::build(request(115, 3, unit));
    QVERIFY2(outcome.isReady(), qPrintable(outcome.message));
    QCOMPARE(outcome.rows.at(1).cells, (QStringList{"10000", "資產", printed}));
    QCOMPARE(outcome.definition.title, QStringLiteral("營運資料明細表"));
    QCOMPARE(outcome.definition.titleFields, (QStringList{"總機構名稱:範例銀行", "製表日期:2026/03/05",
                                                          "資料基期:115年 3月", "單位金額:" + titled}));
}

void TstOperatingReports::detailRowsOfAPeriod_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QStringList>("codes");   // empty: the plain "查無符合資料理!!"
    QTest::newRow("every institution, by SERIAL, accounts of CACNO only")
        << 115 << 3 << QStringList{"40000", "10000", "20000", "30000"};
    QTest::newRow("a month without rows") << 115 << 4 << QStringList{};
    QTest::newRow("year 0 matches nothing") << 0 << 3 << QStringList{};
    QTest::newRow("month 0 matches nothing") << 115 << 0 << QStringList{};
}

void TstOperatingReports::detailRowsOfAPeriod()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QStringList, codes);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid() && ::month(db), qPrintable(db.lastError()));
    const ReportOutcome outcome = OperatingDetailReport::build(request(year, month));
    QCOMPARE(ReportPages::outcome(outcome), codes.isEmpty() ? "plain: 查無符合資料理!!" : "ready");
    QCOMPARE(::codes(outcome.rows), codes);
}

void TstOperatingReports::checkReport_data()
{
    QTest::addColumn<QString>("change");      // a statement run on the month first
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("message");     // "ready": the rows
    QTest::addColumn<QList<QStringList>>("rows");

    QTest::newRow("everything holds, the missing account came from another institution")
        << "" << 3 << "warning: 資料完全符合!!!" << QList<QStringList>{};
    QTest::newRow("no amount in the month") << "" << 4 << "plain: 查無符合資料!!!" << QList<QStringList>{};
    QTest::newRow("failing formula, then the missing account with empty amounts")
        << "UPDATE MPBANK SET AMT = 234568 WHERE ACC_CODE = '30000'; DELETE FROM MPBANK WHERE BANK_CODE = '996'"
        << 3 << "ready"
        << QList<QStringList>{{"10000=20000+30000\n", "1,234,567", "1,234,568"},
                              {"缺少營運科目: 40000   收入\n", "", ""}};
}

void TstOperatingReports::checkReport()
{
    QFETCH(QString, change);
    QFETCH(int, month);
    QFETCH(QString, message);
    QFETCH(QList<QStringList>, rows);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid() && ::month(db), qPrintable(db.lastError()));
    QVERIFY(db.exec(change.split(u';', Qt::SkipEmptyParts)));
    const ReportOutcome outcome = OperatingCheckReport::build(request(115, month));
    QCOMPARE(ReportPages::outcome(outcome), message);
    QCOMPARE(ReportPages::cells(outcome.rows), rows);
    if (!outcome.isReady())
        return;
    QCOMPARE(outcome.definition.title, QStringLiteral("營運資料明細檢核表"));
    // No unit: the check report's amounts are never scaled.
    QCOMPARE(outcome.definition.titleFields,
             (QStringList{"總機構名稱:範例銀行", "製表日期:2026/03/05", "資料基期:115年 3月"}));
}

QTEST_MAIN(TstOperatingReports)
#include "tst_operating_reports.moc"
