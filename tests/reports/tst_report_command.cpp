#include "tests/support/cli_process.h"
#include "tests/support/test_database.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// velq8-cli report, run as a user runs it on the shipped sample month 115/10
// (every formula holds there), without a display while QT_QPA_PLATFORM names
// the windows' platform.
class TstReportCommand : public QObject
{
    Q_OBJECT
private slots:
    void exitStatuses_data();
    void exitStatuses();
    void pdfTextReadsBack_data();
    void pdfTextReadsBack();

private:
    using Run = CliProcess;
    static Run cli(const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return velq8(args, env);
    }
};

void TstReportCommand::exitStatuses_data()
{
    QTest::addColumn<QStringList>("args");   // "{pdf}" is a file in an empty folder
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");       // on standard output for 0, else on standard error

    const QStringList month{"--year", "115", "--month", "10"};
    const QStringList detail = QStringList{"operating-detail"} + month;
    QTest::newRow("detail written") << detail + QStringList{"--unit", "萬元", "--pdf", "{pdf}"} << 0 << "2 頁";
    QTest::newRow("empty unit is 元") << detail + QStringList{"--unit", "", "--pdf", "{pdf}"} << 0 << "2 頁";
    QTest::newRow("unit of blanks is 元") << detail + QStringList{"--unit", "   ", "--pdf", "{pdf}"} << 0 << "2 頁";
    QTest::newRow("detail of an empty month")
        << QStringList{"operating-detail", "--year", "115", "--month", "9", "--pdf", "{pdf}"} << 1
        << "查無符合資料理!!";
    QTest::newRow("check of a month that holds")
        << QStringList{"operating-check"} + month + QStringList{"--pdf", "{pdf}"} << 1 << "資料完全符合!!!";
    QTest::newRow("unit none of the four") << detail + QStringList{"--unit", "美元", "--pdf", "{pdf}"} << 2 << "美元";
    // The sample month has rows of all 22 counties; Y is not in CD01.
    const QStringList countyDetail = QStringList{"county-detail"} + month;
    QTest::newRow("county detail of every county: 0")
        << countyDetail + QStringList{"--county", "0", "--pdf", "{pdf}"} << 0 << "22 頁";
    QTest::newRow("county detail of every county: no county given")
        << countyDetail + QStringList{"--unit", "百萬元", "--pdf", "{pdf}"} << 0 << "22 頁";
    QTest::newRow("county detail of one county") << countyDetail + QStringList{"--county", "C", "--pdf", "{pdf}"}
                                                 << 0 << "1 頁";
    QTest::newRow("county detail of a county CD01 lacks")
        << countyDetail + QStringList{"--county", "Y", "--pdf", "{pdf}"} << 1 << "查無符合資料理!!";
    QTest::newRow("county detail of a county of two characters")
        << countyDetail + QStringList{"--county", "AB", "--pdf", "{pdf}"} << 2 << "--county";
    QTest::newRow("county check of a month that holds")
        << QStringList{"county-check"} + month + QStringList{"--pdf", "{pdf}"} << 1 << "資料完全符合!!!";
    QTest::newRow("county check of a month without county data")
        << QStringList{"county-check", "--year", "115", "--month", "9", "--pdf", "{pdf}"} << 1 << "查無符合資料!!!";
    QTest::newRow("county check asks no unit")
        << QStringList{"county-check"} + month + QStringList{"--unit", "元", "--pdf", "{pdf}"} << 2 << "--unit";
    // The sample database holds ratios, rates and trading for 115/10 only.
    const auto kind = [](const char *name, const char *year, const char *month) {
        return QStringList{name, "--year", year, "--month", month, "--pdf", "{pdf}"};
    };
    QTest::newRow("ratios of every month") << kind("overdue-ratio", "0", "0") << 0 << "1 頁";
    QTest::newRow("ratios of an empty year") << kind("overdue-ratio", "114", "0") << 1 << "查無符合資料理!!";
    QTest::newRow("rates of October of every year") << kind("bills-rate", "0", "10") << 0 << "1 頁";
    QTest::newRow("rates of an empty month") << kind("bills-rate", "115", "9") << 1 << "查無符合資料理!!";
    QTest::newRow("trading of the months of a year") << kind("bills-trading", "115", "0") << 0 << "1 頁";
    QTest::newRow("trading of an empty month") << kind("bills-trading", "0", "9") << 1 << "查無符合資料理!!";
    QTest::newRow("trading with a unit none of the four")
        << kind("bills-trading", "115", "10") + QStringList{"--unit", "美元"} << 2 << "美元";
    QTest::newRow("no file named") << detail << 2 << "--pdf FILE";
    QTest::newRow("no such date") << detail + QStringList{"--date", "2026-02-30", "--pdf", "{pdf}"} << 2
                                  << "2026-02-30";
    QTest::newRow("county of an operating report") << detail + QStringList{"--county", "A", "--pdf", "{pdf}"}
                                                   << 2 << "--county";
    QTest::newRow("folder that does not exist") << detail + QStringList{"--pdf", "{pdf}/../none/out.pdf"} << 2
                                                << "none";
}

void TstReportCommand::exitStatuses()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, said);
    TestDatabase db;
    QVERIFY(db.isValid());
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    args.replaceInStrings(QStringLiteral("{pdf}"), pdf);
    const Run run = cli(QStringList{"--database", db.path(), "report"} + args);
    QCOMPARE(run.status, status);
    QVERIFY2((status == 0 ? run.out : run.err).contains(said), qPrintable(run.out + run.err));
    // A PDF only when written; never a partial or temporary file.
    const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QCOMPARE(left, status == 0 ? QStringList{"out.pdf"} : QStringList{});
}

void TstReportCommand::pdfTextReadsBack_data()
{
    QTest::addColumn<QString>("change");   // a statement run on the sample database first
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("expected");
    const QStringList month{"--year", "115", "--month", "10", "--date", "2026-03-05"};
    QTest::newRow("operating detail")
        << "" << QStringList{"operating-detail", "--unit", "萬元"} + month
        << QStringList{"營運資料明細表", "製表日期:2026/03/05", "單位金額:萬元", "資料基期:115年 10月",
                       "總機構名稱:範例商業銀行（示範用）", "現金及約當現金", "1,234.568", "頁次:1", "頁次:2"};
    // The title block again on the last page, under it the last county.
    QTest::newRow("county detail") << "" << QStringList{"county-detail", "--unit", "百萬元"} + month
                                   << QStringList{"銀行縣市別營運資料明細表", "單位金額:百萬元", "臺北市", "連江縣",
                                                  "頁次:22"};
    QTest::newRow("county check")
        << "UPDATE HMPBANK SET AMT = AMT + 1 WHERE ACC_CODE = '10000' AND HSIEN_ID = 'Z'"
        << QStringList{"county-check"} + month
        << QStringList{"銀行縣市別營運資料檢核表", "115年 10月", "連江縣資料有誤", "左式金額", "頁次:1"};
}

void TstReportCommand::pdfTextReadsBack()
{
    QFETCH(QString, change);
    QFETCH(QStringList, args);
    QFETCH(QStringList, expected);
    TestDatabase db;
    if (!change.isEmpty())
        QVERIFY(db.exec(change));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const Run run = cli(QStringList{"--database", db.path(), "report"} + args + QStringList{"--pdf", pdf});
    QCOMPARE(run.status, 0);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");

    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString text = CliProcess::run(pdftotext, {pdf, QStringLiteral("-")}).out;
    for (const QString &line : expected)
        QVERIFY2(text.contains(line), qPrintable(line));
}

QTEST_GUILESS_MAIN(TstReportCommand)
#include "tst_report_command.moc"
