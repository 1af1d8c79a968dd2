#include "reports/band_layout.h"
#include "reports/report_kind.h"
#include "tests/support/report_pages.h"
#include "tests/support/test_database.h"

#include <QTest>

// The overdue ratio report and the two bills reports read as pages of items:
// the period selection (a year or month of 0 leaves that part open), the order
// within a month, the labels of the codes, the unit printed but not applied.
class TstRatioAndBillsReports : public QObject
{
    Q_OBJECT
private slots:
    void linesOnThePages_data();
    void linesOnThePages();
};

namespace {

// EM03, EM08 and EM09 rows in 115/6, 114/5 and 115/5 (stored in that order),
// whose figures tell their period.
const QString Months = "INSERT INTO EM03 VALUES (115,6,'995','9950011',115.06), (114,5,'995','9950011',114.05), "
                       "(115,5,'995','9950011',115.05);"
                       "INSERT INTO EM08 VALUES ('995',115,6,'1','1','01','1',115.06), "
                       "('995',114,5,'1','1','01','1',114.05), ('995',115,5,'1','1','01','1',115.05);"
                       "INSERT INTO EM09 VALUES ('995',115,6,'0','0','01',1,115060), "
                       "('995',114,5,'0','0','01',1,114050), ('995',115,5,'0','0','01',1,115050)";

QString blanks(const QString &code, int count)
{
    return code + QString(count + 2, u' ');
}

} // namespace

void TstRatioAndBillsReports::linesOnThePages_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("rows");        // statements that store the rows
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QStringList>("lines");   // empty: nothing to print

    const QString unit1 = "9950011   範例一|", unit2 = "9950022   範例二|", unit3 = "9950033   範例三|";
    QTest::newRow("ratios: every month with year 0 and month 0")
        << "overdue-ratio" << Months << 0 << 0 << QStringList{unit1 + "114.05", unit1 + "115.05", unit1 + "115.06"};
    QTest::newRow("ratios: the months of a year")
        << "overdue-ratio" << Months << 115 << 0 << QStringList{unit1 + "115.05", unit1 + "115.06"};
    QTest::newRow("ratios: highest first, ties in stored order, a unit missing from BN01 left out")
        << "overdue-ratio"
        << "INSERT INTO EM03 VALUES (115,5,'995','9950033',4.5), (115,5,'995','9999999',9), "
           "(115,5,'995','9950022',7.25), (115,5,'995','9950011',4.5)"
        << 115 << 5 << QStringList{unit2 + "7.25", unit3 + "4.5", unit1 + "4.5"};
    QTest::newRow("ratios: a month without rows") << "overdue-ratio" << Months << 115 << 7 << QStringList{};

    QTest::newRow("rates: May of every year") << "bills-rate" << Months << 0 << 5
                                              << QStringList{"1-初級市場|1-一個月期|01-商業本票|1-最高|114.05",
                                                             "1-初級市場|1-一個月期|01-商業本票|1-最高|115.05"};
    QTest::newRow("rates: 06 labelled, 9 read as 09, rate as plain text")
        << "bills-rate" << "INSERT INTO EM08 VALUES ('995',115,5,'1','3','06','2',2.35), ('995',115,5,'2','5','9','3',3)"
        << 115 << 5
        << QStringList{"1-初級市場|3-六個月期|06-銀行可轉讓定期存單|2-平均|2.35", "2-次級市場|5-十二個月期|09-金融俵券|3-最低|3"};
    QTest::newRow("rates: unknown codes and codes that are no number print as stored with their blanks")
        << "bills-rate" << "INSERT INTO EM08 VALUES ('995',115,5,'A','0','1a','',0)" << 115 << 5
        << QStringList{blanks("A", 8) + "|" + blanks("0", 10) + "|" + blanks("1a", 18) + "|" + blanks("", 4) + "|0"};

    QTest::newRow("trading: every month, amounts not scaled by the unit")
        << "bills-trading" << Months << 0 << 0
        << QStringList{"0-初級市場|0-買入|01-商業本票|1|114,050", "0-初級市場|0-買入|01-商業本票|1|115,050",
                       "0-初級市場|0-買入|01-商業本票|1|115,060"};
    QTest::newRow("trading: 9 left as code and blanks, the longest labels, ,# and ,#.###")
        << "bills-trading"
        << "INSERT INTO EM09 VALUES ('995',115,5,'9','2','10',1234,1234.5), ('995',115,5,'3','1','06',0,0.125)"
        << 115 << 5
        << QStringList{"3-餘額(公司持有數)|1-賣出|06-銀行可轉讓定期存單||0.125", blanks("9", 16) + "|2-其他|10-公司債|1,234|1,234.5"};
    QTest::newRow("trading: a month no year has") << "bills-trading" << Months << 0 << 7 << QStringList{};
}

void TstRatioAndBillsReports::linesOnThePages()
{
    QFETCH(QString, report);
    QFETCH(QString, rows);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QStringList, lines);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QVERIFY2(db.exec(QStringLiteral("INSERT INTO BN01 (BANK_NO, BANK_NAME) VALUES ('995','範例銀行'), "
                                    "('9950011','範例一'), ('9950022','範例二'), ('9950033','範例三');")
                         .append(rows).split(u';')),
             qPrintable(db.lastError()));

    const ReportOutcome outcome = ReportKind::byName(report)->build(ReportPages::request(year, month, "仟元"));
    QCOMPARE(ReportPages::outcome(outcome), lines.isEmpty() ? "plain: 查無符合資料理!!" : "ready");
    if (lines.isEmpty())
        return;
    const ReportDocument document = BandLayout().layout(outcome.definition, outcome.rows);
    QCOMPARE(ReportPages::lines(document), lines);
    // Every label, and a code with its blanks, stands on one line of its column.
    for (const ReportItem &item : document.pages.first().items)
        QVERIFY2(item.role != ReportItem::Role::Cell || item.lines.size() == 1, qPrintable(item.text()));
    // The unit is printed; the period as given, 0 included.
    QCOMPARE(outcome.definition.titleFields,
             (QStringList{"總機構名稱:範例銀行", "製表日期:2026/03/05",
                          QStringLiteral("資料基期:%1年 %2月").arg(year).arg(month), "單位金額:仟元"}));
}

QTEST_MAIN(TstRatioAndBillsReports)
#include "tst_ratio_and_bills_reports.moc"
