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
    void pdfTextReadsBack();

private:
    using Run = CliProcess;
    static Run cli(const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return CliProcess::run(QStringLiteral(VELQ8_CLI), args, env);
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
    QTest::newRow("detail of an empty month")
        << QStringList{"operating-detail", "--year", "115", "--month", "9", "--pdf", "{pdf}"} << 1
        << "查無符合資料理!!";
    QTest::newRow("check of a month that holds")
        << QStringList{"operating-check"} + month + QStringList{"--pdf", "{pdf}"} << 1 << "資料完全符合!!!";
    QTest::newRow("unit none of the four") << detail + QStringList{"--unit", "美元", "--pdf", "{pdf}"} << 2 << "美元";
    QTest::newRow("report not built yet")
        << QStringList{"county-check"} + month + QStringList{"--pdf", "{pdf}"} << 2 << "not available yet";
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

void TstReportCommand::pdfTextReadsBack()
{
    TestDatabase db;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const Run run = cli({"--database", db.path(), "report", "operating-detail", "--year", "115", "--month", "10",
                         "--unit", "萬元", "--date", "2026-03-05", "--pdf", pdf});
    QCOMPARE(run.status, 0);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");

    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString text = CliProcess::run(pdftotext, {pdf, QStringLiteral("-")}).out;
    for (const char *expected : {"營運資料明細表", "製表日期:2026/03/05", "單位金額:萬元", "資料基期:115年 10月",
                                 "總機構名稱:範例商業銀行（示範用）", "現金及約當現金", "1,234.568", "頁次:1", "頁次:2"})
        QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
}

QTEST_GUILESS_MAIN(TstReportCommand)
#include "tst_report_command.moc"
