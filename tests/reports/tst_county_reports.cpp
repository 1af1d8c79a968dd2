#include "reports/band_layout.h"
#include "reports/county_check_report.h"
#include "reports/county_detail_report.h"
#include "tests/support/report_pages.h"
#include "tests/support/test_database.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QTest>

// The two county reports over a small database, read as their pages of items:
// which county heads which page, the amounts in each unit, the check rows and
// the outcomes when there is nothing to print.
class TstCountyReports : public QObject
{
    Q_OBJECT
private slots:
    void detailPagesByCounty_data();
    void detailPagesByCounty();
    void checkReport_data();
    void checkReport();
    void countyListFromTheIndex_data();
    void countyListFromTheIndex();
};

namespace {

// 115/3: CD01 has A, B, C and E; B has no rows, D has a row but is not in
// CD01. One county formula 10000 = 10100, which holds in every county with rows.
bool prepared(TestDatabase &db, const QString &change)
{
    const QString month = QStringLiteral(
        "INSERT INTO BN01 (BANK_NO, BANK_NAME) VALUES ('995', '範例銀行');"
        "INSERT INTO CD01 VALUES ('A', '臺北市'), ('B', '臺中市'), ('C', '基隆市'), ('E', '高雄市');"
        "INSERT INTO HCACNO (ACC_CODE, ACC_NAME) VALUES ('10000', '存款總額'), ('10100', '支票存款');"
        "INSERT INTO HRuleNo1 (cano, quop) VALUES ('001', '=');"
        "INSERT INTO HRuleNo2 (cano, left_flag, nserial, acc_code, noop) "
        "VALUES ('001', '0', 1, '10000', ''), ('001', '1', 1, '10100', '+');"
        // E stored out of code order.
        "INSERT INTO HMPBANK (M_YEAR, M_MONTH, BANK_CODE, HSIEN_ID, ACC_CODE, AMT) VALUES "
        "(115, 3, '995', 'E', '10100', 3), (115, 3, '995', 'E', '10000', 3), "
        "(115, 3, '995', 'A', '10000', 2600000), (115, 3, '995', 'A', '10100', 2600000), "
        "(115, 3, '995', 'C', '10000', 7), (115, 3, '995', 'C', '10100', 7), (115, 3, '995', 'D', '10000', 9);");
    return db.isValid() && db.exec((month + change).split(u';', Qt::SkipEmptyParts));
}

// Each page as "caption: code amount, code amount"; marked when a page lacks
// any field of the title block.
QStringList pagesOf(const ReportDocument &document, int titleFields)
{
    QStringList out;
    for (const ReportDocument::Page &page : document.pages) {
        QString caption;
        QStringList cells;
        int fields = 0;
        for (const ReportItem &item : page.items) {
            if (item.role == ReportItem::Role::GroupCaption)
                caption = item.text();
            else if (item.role == ReportItem::Role::TitleField)
                ++fields;
            else if (item.role == ReportItem::Role::Cell && item.column != 1)
                cells << item.text();
        }
        QStringList lines;
        for (qsizetype i = 0; i + 1 < cells.size(); i += 2)
            lines << cells.at(i) + u' ' + cells.at(i + 1);
        out << (fields == titleFields ? QString() : QStringLiteral("(title block missing) "))
                + caption + QStringLiteral(": ") + lines.join(QStringLiteral(", "));
    }
    return out;
}

ReportRequest countyRequest(int month, const QString &county, const QString &unit = QStringLiteral("元"))
{
    ReportRequest r = ReportPages::request(115, month, unit);
    r.county = county;
    return r;
}

} // namespace

void TstCountyReports::detailPagesByCounty_data()
{
    QTest::addColumn<QString>("county");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QStringList>("pages");   // empty: the plain "查無符合資料理!!"
    const QStringList every{"臺北市: 10000 2,600,000, 10100 2,600,000", "基隆市: 10000 7, 10100 7", "D: 10000 9",
                            "高雄市: 10000 3, 10100 3"};
    // B has no rows and takes no page; D lies in the range without a name of its own.
    QTest::newRow("0: every county, each page naming its own") << "0" << 3 << "元" << every;
    QTest::newRow("no county given: every county") << "" << 3 << "元" << every;
    QTest::newRow("one county") << "C" << 3 << "元" << QStringList{"基隆市: 10000 7, 10100 7"};
    QTest::newRow("a county without rows in the month") << "B" << 3 << "元" << QStringList{};
    QTest::newRow("a code CD01 lacks is no county") << "D" << 3 << "元" << QStringList{};
    QTest::newRow("a month without rows") << "0" << 4 << "元" << QStringList{};
    // Whole numbers: the picture keeps no decimals, and a zero is an empty cell.
    QTest::newRow("仟元") << "A" << 3 << "仟元" << QStringList{"臺北市: 10000 2,600, 10100 2,600"};
    QTest::newRow("萬元") << "A" << 3 << "萬元" << QStringList{"臺北市: 10000 260, 10100 260"};
    QTest::newRow("百萬元: 2.6 rounds to 3") << "A" << 3 << "百萬元" << QStringList{"臺北市: 10000 3, 10100 3"};
    QTest::newRow("百萬元: 7 rounds to nothing") << "C" << 3 << "百萬元" << QStringList{"基隆市: 10000 , 10100 "};
}

void TstCountyReports::detailPagesByCounty()
{
    QFETCH(QString, county);
    QFETCH(int, month);
    QFETCH(QString, unit);
    QFETCH(QStringList, pages);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(prepared(db, {}), qPrintable(db.lastError()));
    const ReportOutcome outcome = CountyDetailReport::build(countyRequest(month, county, unit));
    QCOMPARE(ReportPages::outcome(outcome), pages.isEmpty() ? "plain: 查無符合資料理!!" : "ready");
    if (pages.isEmpty())
        return;
    QCOMPARE(outcome.definition.title, QStringLiteral("銀行縣市別營運資料明細表"));
    QCOMPARE(outcome.definition.titleFields, (QStringList{"總機構名稱:範例銀行", "製表日期:2026/03/05",
                                                          "資料基期:115年 3月", "單位金額:" + unit}));
    // The whole title block on every page, not only the first.
    QCOMPARE(pagesOf(BandLayout().layout(outcome.definition, outcome.rows), 4), pages);
}

void TstCountyReports::checkReport_data()
{
    QTest::addColumn<QString>("change");   // statements run on the month first
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("outcome");  // "ready": the rows
    QTest::addColumn<QList<QStringList>>("rows");

    const QStringList missing10000{"缺少營運科目: 10000   存款總額\n", "", ""};
    const QStringList missing10100{"缺少營運科目: 10100   支票存款\n", "", ""};
    QTest::newRow("a month without county data: nothing at all")
        << "" << 4 << "silent: 查無符合資料!!!" << QList<QStringList>{};
    QTest::newRow("everything holds") << "DELETE FROM CD01 WHERE HSIEN_ID = 'B'" << 3 << "warning: 資料完全符合!!!"
                                      << QList<QStringList>{};
    QTest::newRow("a county without rows: its accounts missing, the formula on zeros holds")
        << "" << 3 << "ready" << QList<QStringList>{missing10000, missing10100};
    QTest::newRow("counties in code order, each formula row naming its county")
        << "UPDATE HMPBANK SET AMT = AMT + 1 WHERE ACC_CODE = '10000' AND HSIEN_ID IN ('A', 'C')" << 3 << "ready"
        << QList<QStringList>{{"A  臺北市資料有誤   10000=10100+\n", "2,600,001", "2,600,000"},
                              missing10000,
                              missing10100,
                              {"C  基隆市資料有誤   10000=10100+\n", "8", "7"}};
    // 146 Big5 bytes: cut at 120 by the county check, then 60 bytes a line.
    QTest::newRow("a long remark on two lines")
        << "DELETE FROM CD01 WHERE HSIEN_ID <> 'A';"
           "INSERT INTO HRuleNo2 (cano, left_flag, nserial, acc_code, noop) "
           "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 20) "
           "SELECT '001', '1', i, '10100', '+' FROM n"
        << 3 << "ready"
        << QList<QStringList>{{"A  臺北市資料有誤   10000=10100+10100+10100+10100+10100+1010\n"
                               "0+10100+10100+10100+10100+10100+10100+10100+10100+10100+1010",
                               "2,600,000", "52,000,000"}};
}

void TstCountyReports::checkReport()
{
    QFETCH(QString, change);
    QFETCH(int, month);
    QFETCH(QString, outcome);
    QFETCH(QList<QStringList>, rows);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(prepared(db, change), qPrintable(db.lastError()));
    const ReportOutcome built = CountyCheckReport::build(ReportPages::request(115, month));
    QCOMPARE(ReportPages::outcome(built), outcome);
    QCOMPARE(ReportPages::cells(built.rows), rows);
    if (!built.isReady())
        return;
    QCOMPARE(built.definition.title, QStringLiteral("銀行縣市別營運資料檢核表"));
    // The period without its caption; no unit, no institution.
    QCOMPARE(built.definition.titleFields, (QStringList{"製表日期:2026/03/05", "115年 3月"}));
}

void TstCountyReports::countyListFromTheIndex_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("items");
    const QString all = QString::fromUtf8(CountyDetailReport::AllCountiesItem);
    const QStringList withData{all, "A  臺北市", "C  基隆市", "E  高雄市"};
    // B has no rows and D is not in CD01: neither is offered.
    QTest::newRow("counties of CD01 with rows, in code order") << "" << withData;
    QTest::newRow("rows of another year count as data")
        << "UPDATE HMPBANK SET M_YEAR = 95, M_MONTH = 1 WHERE HSIEN_ID = 'E'" << withData;
    QTest::newRow("a code stored with a trailing blank is its county")
        << "UPDATE HMPBANK SET HSIEN_ID = 'C ' WHERE HSIEN_ID = 'C'" << withData;
    QTest::newRow("a county whose rows are all gone leaves the list")
        << "DELETE FROM HMPBANK WHERE HSIEN_ID = 'A'" << QStringList{all, "C  基隆市", "E  高雄市"};
    QTest::newRow("no county rows: every county alone") << "DELETE FROM HMPBANK" << QStringList{all};
}

void TstCountyReports::countyListFromTheIndex()
{
    QFETCH(QString, change);
    QFETCH(QStringList, items);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(prepared(db, change), qPrintable(db.lastError()));
    QStringList listed;
    QString error;
    QVERIFY2(CountyDetailReport::countyItems(db.connectionName(), &listed, &error), qPrintable(error));
    QCOMPARE(listed, items);

    // The county rows are only looked up by county, never read through.
    QSqlQuery plan(db.db());
    QVERIFY(plan.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + QString::fromLatin1(CountyDetailReport::CountyListQuery)));
    QStringList steps;
    while (plan.next())
        steps << plan.value(3).toString();
    QVERIFY2(steps.filter(QStringLiteral("SEARCH A USING COVERING INDEX")).size() == 1, qPrintable(steps.join(u'\n')));
    QVERIFY2(steps.filter(QRegularExpression(QStringLiteral("^SCAN A\\b"))).isEmpty(), qPrintable(steps.join(u'\n')));
}

QTEST_MAIN(TstCountyReports)
#include "tst_county_reports.moc"
