#include "reports/report_kind.h"
#include "tests/support/report_pages.h"
#include "tests/support/test_database.h"

#include <QTest>

// The overdue ratio report and the two bills reports read as pages of items:
// the period selection (a year or month of 0 leaves that part open), the order
// within a month, the labels of the codes and the unit printed but not applied.
class TstRatioAndBillsReports : public QObject
{
    Q_OBJECT
private slots:
    void periodSelection_data();
    void periodSelection();
    void overdueRatiosWithinAMonth_data();
    void overdueRatiosWithinAMonth();
    void billsCodesPrintAsLabels_data();
    void billsCodesPrintAsLabels();
};

namespace {

bool institution(TestDatabase &db)
{
    return db.insertRow("BN01", {{"BANK_NO", "995"}, {"BANK_NAME", "範例銀行"}})
        && db.insertRow("BN01", {{"BANK_NO", "9950011"}, {"BANK_NAME", "範例一"}})
        && db.insertRow("BN01", {{"BANK_NO", "9950022"}, {"BANK_NAME", "範例二"}})
        && db.insertRow("BN01", {{"BANK_NO", "9950033"}, {"BANK_NAME", "範例三"}});
}

// One row of each table in each of 115/6, 114/5 and 115/5 (stored in that order),
// whose figure tells its period: 115.06 or 115006.
bool threeMonths(TestDatabase &db)
{
    for (const auto &[year, month] : {std::pair{115, 6}, {114, 5}, {115, 5}}) {
        const double figure = year + month / 100.0;
        const QVariantMap period{{"BANK_CODE", "995"}, {"M_YEAR", year}, {"M_MONTH", month}};
        QVariantMap em03 = period, em08 = period, em09 = period;
        em03.insert({{"BANK_CODE1", "9950011"}, {"M_RATE", figure}});
        em08.insert({{"FLAG1", "1"}, {"FLAG2", "1"}, {"FLAG3", "01"}, {"FLAG4", "1"}, {"RATE", figure}});
        em09.insert({{"FLAG1", "0"}, {"FLAG2", "0"}, {"FLAG3", "01"}, {"AMT", 1}, {"AMT1", figure * 1000}});
        if (!db.insertRow("EM03", em03) || !db.insertRow("EM08", em08) || !db.insertRow("EM09", em09))
            return false;
    }
    return true;
}

ReportOutcome build(const QString &report, const ReportRequest &request)
{
    return ReportKind::byName(report)->build(request);
}

} // namespace

void TstRatioAndBillsReports::periodSelection_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QStringList>("figures");   // the last cell of each line; empty: nothing to print

    const QStringList every{"114.05", "115.05", "115.06"};
    QTest::newRow("ratios: every month with year 0 and month 0") << "overdue-ratio" << 0 << 0 << every;
    QTest::newRow("ratios: the months of a year") << "overdue-ratio" << 115 << 0 << QStringList{"115.05", "115.06"};
    QTest::newRow("ratios: a month without rows") << "overdue-ratio" << 115 << 7 << QStringList{};
    QTest::newRow("rates: May of every year") << "bills-rate" << 0 << 5 << QStringList{"114.05", "115.05"};
    QTest::newRow("rates: one month") << "bills-rate" << 115 << 6 << QStringList{"115.06"};
    QTest::newRow("trading: every month") << "bills-trading" << 0 << 0
                                          << QStringList{"114,050", "115,050", "115,060"};
    QTest::newRow("trading: a month no year has") << "bills-trading" << 0 << 7 << QStringList{};
}

void TstRatioAndBillsReports::periodSelection()
{
    QFETCH(QString, report);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QStringList, figures);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid() && institution(db) && threeMonths(db), qPrintable(db.lastError()));
    // 仟元 is printed, never applied: the figures stay as stored.
    const ReportOutcome outcome = build(report, ReportPages::request(year, month, QStringLiteral("仟元")));
    if (figures.isEmpty()) {
        QCOMPARE(outcome.status, ReportOutcome::Status::NothingToPrint);
        QCOMPARE(outcome.message, QStringLiteral("查無符合資料理!!"));
        QCOMPARE(outcome.notice, ReportOutcome::Notice::Plain);
        return;
    }
    QVERIFY2(outcome.isReady(), qPrintable(outcome.message));
    const ReportDocument document = BandLayout().layout(outcome.definition, outcome.rows);
    QStringList printed;
    for (const QString &line : ReportPages::lines(document))
        printed << line.section(u'|', -1);
    QCOMPARE(printed, figures);
    QCOMPARE(ReportPages::texts(document, ReportItem::Role::TitleField),
             (QStringList{"總機構名稱:範例銀行", "製表日期:2026/03/05",
                          QStringLiteral("資料基期:%1年 %2月").arg(year).arg(month), "單位金額:仟元"}));
}

void TstRatioAndBillsReports::overdueRatiosWithinAMonth_data()
{
    QTest::addColumn<QStringList>("stored");    // "unit ratio", in stored order, all in 115/5
    QTest::addColumn<QStringList>("printed");

    QTest::newRow("highest ratio first, plain number text")
        << QStringList{"9950011 3", "9950022 7.25", "9950033 4.5"}
        << QStringList{"9950022   範例二|7.25", "9950033   範例三|4.5", "9950011   範例一|3"};
    QTest::newRow("equal ratios keep their stored order")
        << QStringList{"9950033 4.5", "9950011 4.5"} << QStringList{"9950033   範例三|4.5", "9950011   範例一|4.5"};
    QTest::newRow("a unit missing from BN01 is left out")
        << QStringList{"9999999 9", "9950022 0.375"} << QStringList{"9950022   範例二|0.375"};
}

void TstRatioAndBillsReports::overdueRatiosWithinAMonth()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, printed);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid() && institution(db), qPrintable(db.lastError()));
    for (const QString &row : stored) {
        QVERIFY(db.insertRow("EM03", {{"M_YEAR", 115}, {"M_MONTH", 5}, {"BANK_CODE", "995"},
                                      {"BANK_CODE1", row.section(u' ', 0, 0)},
                                      {"M_RATE", row.section(u' ', 1).toDouble()}}));
    }
    const ReportOutcome outcome = build("overdue-ratio", ReportPages::request(115, 5));
    QVERIFY2(outcome.isReady(), qPrintable(outcome.message));
    const ReportDocument document = BandLayout().layout(outcome.definition, outcome.rows);
    QCOMPARE(ReportPages::lines(document), printed);
    QCOMPARE(ReportPages::texts(document, ReportItem::Role::Title), QStringList{"各營業單位逾期放款超過 3%  明細表"});
    QCOMPARE(ReportPages::texts(document, ReportItem::Role::Heading), (QStringList{"營業單位名稱", "逾  放  比  率"}));
}

void TstRatioAndBillsReports::billsCodesPrintAsLabels_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<QStringList>("flags");    // FLAG1, FLAG2, FLAG3 (and FLAG4 of the rates)
    QTest::addColumn<QString>("printed");      // the line, figures included
    const auto blanks = [](const char *code, int count) { return code + QString(count + 2, u' '); };

    QTest::newRow("rates: 06 labelled, rate as plain text")
        << "bills-rate" << QStringList{"1", "3", "06", "2"} << "1-初級市場|3-六個月期|06-銀行可轉讓定期存單|2-平均|2.35";
    QTest::newRow("rates: codes read as whole numbers, 9 is the loaded rows' 09")
        << "bills-rate" << QStringList{"2", "5", "9", "3"} << "2-次級市場|5-十二個月期|09-金融俵券|3-最低|2.35";
    QTest::newRow("rates: codes outside the lists left as code and blanks")
        << "bills-rate" << QStringList{"3", "0", "11", "4"}
        << blanks("3", 8) + "|" + blanks("0", 10) + "|" + blanks("11", 18) + "|" + blanks("4", 4) + "|2.35";
    QTest::newRow("rates: codes that are no whole number print as stored")
        << "bills-rate" << QStringList{"A", "", "1a", "-"}
        << blanks("A", 8) + "|" + blanks("", 10) + "|" + blanks("1a", 18) + "|" + blanks("-", 4) + "|2.35";
    QTest::newRow("trading: 0 labelled, ,# and ,#.### unscaled")
        << "bills-trading" << QStringList{"0", "0", "01"} << "0-初級市場|0-買入|01-商業本票|1,234|1,234.5";
    QTest::newRow("trading: 9 left as code and blanks")
        << "bills-trading" << QStringList{"9", "2", "10"} << blanks("9", 16) + "|2-其他|10-公司債|1,234|1,234.5";
    QTest::newRow("trading: the longest labels")
        << "bills-trading" << QStringList{"3", "1", "06"}
        << "3-餘額(公司持有數)|1-賣出|06-銀行可轉讓定期存單|1,234|1,234.5";
}

void TstRatioAndBillsReports::billsCodesPrintAsLabels()
{
    QFETCH(QString, report);
    QFETCH(QStringList, flags);
    QFETCH(QString, printed);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid() && institution(db), qPrintable(db.lastError()));
    QVariantMap row{{"BANK_CODE", "995"}, {"M_YEAR", 115}, {"M_MONTH", 5}};
    for (int i = 0; i < flags.size(); ++i)
        row.insert(QStringLiteral("FLAG%1").arg(i + 1), flags.at(i));
    if (report == "bills-rate")
        row.insert("RATE", 2.35);
    else
        row.insert({{"AMT", 1234}, {"AMT1", 1234.5}});
    QVERIFY2(db.insertRow(report == "bills-rate" ? "EM08" : "EM09", row), qPrintable(db.lastError()));

    const ReportOutcome outcome = build(report, ReportPages::request(115, 5, QStringLiteral("萬元")));
    QVERIFY2(outcome.isReady(), qPrintable(outcome.message));
    const ReportDocument document = BandLayout().layout(outcome.definition, outcome.rows);
    QCOMPARE(ReportPages::lines(document), QStringList{printed});
    // Every label, and a code with its blanks, stands on one line of its column.
    for (const ReportItem &item : document.pages.first().items) {
        if (item.role == ReportItem::Role::Cell)
            QVERIFY2(item.lines.size() == 1, qPrintable(item.text()));
    }
}

QTEST_MAIN(TstRatioAndBillsReports)
#include "tst_ratio_and_bills_reports.moc"
