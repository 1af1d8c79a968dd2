#include "db/path_lock.h"
#include "tests/support/cli_process.h"
#include "tests/support/files.h"
#include "tests/support/test_database.h"
#include "tests/reports/workbook_reader.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// The command-line companion, run as a user runs it.
class TstCli : public QObject
{
    Q_OBJECT
private slots:
    void initCreatesADatabaseWithTheReferenceData();
    void initRefusesAnExistingFile();
    void initRemovesOnlyWhatEndedRunsLeft_data();
    void initRemovesOnlyWhatEndedRunsLeft();
    void helpNamesEveryCommand();
    void unknownCommandIsAnError();
    void declaringInstitutionIsRequired_data();
    void declaringInstitutionIsRequired();
    void everyReportOfTheSampleMonth_data();
    void everyReportOfTheSampleMonth();
};

using Run = CliProcess;

void TstCli::initCreatesADatabaseWithTheReferenceData()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("new.sqlite");
    const Run run = velq8({"--database", file, "init"});
    QCOMPARE(run.status, 0);
    QVERIFY(QFile::exists(file));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("SELECT count(*) FROM CD01"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 22);
        QVERIFY(q.exec("SELECT count(*) FROM Customer"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 0);
    }
    QSqlDatabase::removeDatabase("check");
}

void TstCli::initRefusesAnExistingFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("mine.txt");
    QVERIFY(writeFile(file, "not a database, and not to be touched\n"));
    const Run run = velq8({"--database", file, "init"});
    QCOMPARE(run.status, 2);
    QVERIFY(run.err.contains(file));
    QCOMPARE(contents(file), QByteArray("not a database, and not to be touched\n"));
}

void TstCli::initRemovesOnlyWhatEndedRunsLeft_data()
{
    QTest::addColumn<QString>("name");   // beside new.sqlite, with "<name>-journal" unless it is one
    QTest::addColumn<bool>("held");      // locked, as a live run holds its temporary
    QTest::addColumn<bool>("kept");
    QTest::newRow("a killed run's temporary and journal") << "new.sqlite.new-Ab12Cd" << false << false;
    QTest::newRow("a live run's") << "new.sqlite.new-Ab12Cd" << true << true;
    QTest::newRow("a journal whose file is gone") << "new.sqlite.new-Ab12Cd-journal" << false << false;
    QTest::newRow("another database's") << "other.sqlite.new-Ab12Cd" << false << true;
    QTest::newRow("a name of another shape") << "new.sqlite.new-Ab12" << false << true;
}

// A run killed midway leaves its temporary (and SQLite's journal); the next init
// removes them, and never what a live run still builds.
void TstCli::initRemovesOnlyWhatEndedRunsLeft()
{
    QFETCH(QString, name);
    QFETCH(bool, held);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    QStringList left{name};
    if (!name.endsWith("-journal"))
        left << name + "-journal";
    for (const QString &file : left)
        QVERIFY(writeFile(dir.filePath(file), "half"));
    PathLock live;
    QVERIFY(!held || live.hold(dir.filePath(name)));
    const Run run = velq8({"--database", dir.filePath("new.sqlite"), "init"});
    QCOMPARE(run.status, 0);
    QStringList expected{"new.sqlite"};
    if (kept)
        expected += left;
    expected.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

void TstCli::helpNamesEveryCommand()
{
    const Run run = velq8({"--help"});
    QCOMPARE(run.status, 0);
    qsizetype previous = -1;
    for (const char *command : {"init", "export", "verify", "import", "check", "report"}) {
        const qsizetype at = run.out.indexOf(QLatin1String("\n  ") + QLatin1String(command));
        QVERIFY2(at > previous, command);   // there, and in the help order
        previous = at;
    }
    QVERIFY(run.out.contains("--database FILE"));
}

void TstCli::unknownCommandIsAnError()
{
    const Run run = velq8({"frobnicate"});
    QCOMPARE(run.status, 2);
    QVERIFY(run.err.contains("frobnicate"));
}

void TstCli::declaringInstitutionIsRequired_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("message");
    QTest::newRow("export") << "export" << "BN01 沒有任何金融機構資料，無法決定申報機構\n";
    QTest::newRow("check") << "check" << "找不到申報機構: BN01 沒有任何資料\n";
}

// export and check take the declaring institution from the first BN01 record:
// with none they stop with status 2, say why, and write nothing.
void TstCli::declaringInstitutionIsRequired()
{
    QFETCH(QString, command);
    QFETCH(QString, message);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QVERIFY(db.insertRow("MPBANK", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "11000"},
                                    {"AMT", 1.0}, {"SERIAL", 1}}));
    QTemporaryDir out;
    QStringList args{"--database", db.path(), command, "--year", "88", "--month", "5"};
    if (command == u"export")
        args << "--dir" << out.path();
    const Run run = velq8(args);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, message);
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TstCli::everyReportOfTheSampleMonth_data()
{
    QTest::addColumn<QStringList>("args");   // after "report"
    QTest::addColumn<QString>("shown");      // a text some cell of the workbook holds
    QTest::newRow("operating detail, accounts by name")
        << QStringList{"operating-detail", "--year", "115", "--month", "10", "--unit", "萬元"} << "現金及約當現金";
    QTest::newRow("operating check, the changed formula")
        << QStringList{"operating-check", "--year", "115", "--month", "10", "--date", "2026-03-05"} << "11000+11500";
    QTest::newRow("overdue ratios of every month, a unit without a name keeps its code")
        << QStringList{"overdue-ratio", "--year", "0", "--month", "0"} << "ZZZ9999";
    QTest::newRow("bills rates with their labels")
        << QStringList{"bills-rate", "--year", "115", "--month", "10"} << "1-初級市場";
    QTest::newRow("bills trading of a month in every year")
        << QStringList{"bills-trading", "--year", "0", "--month", "10"} << "2-次級市場(附條件)";
    QTest::newRow("county detail of one county")
        << QStringList{"county-detail", "--year", "115", "--month", "10", "--county", "B", "--unit", "百萬元"}
        << "支票存款";
    QTest::newRow("county check, the changed county")
        << QStringList{"county-check", "--year", "115", "--month", "10"} << "臺中市資料有誤";
}

// Every report's statements on the engine the suite runs on: the sample month
// with one operating and one county amount changed (so both checks have rows)
// and an overdue ratio of a unit that has no name. Each report is written whole
// as PDF and workbook, and the workbook holds the rows the engine read.
void TstCli::everyReportOfTheSampleMonth()
{
    QFETCH(QStringList, args);
    QFETCH(QString, shown);
    TestDatabase db;
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QVERIFY(db.exec({"update MPBANK set AMT = AMT + 7 where M_YEAR = 115 and M_MONTH = 10 and ACC_CODE = '11000'",
                     "update HMPBANK set AMT = AMT + 3 where M_YEAR = 115 and M_MONTH = 10 and HSIEN_ID = 'B'",
                     "insert into BN01 (BANK_NO) values ('ZZZ9999')",
                     "insert into EM03 (M_YEAR, M_MONTH, BANK_CODE, BANK_CODE1, M_RATE) "
                     "values (115, 10, '995', 'ZZZ9999', 1.5)"}));
    QTemporaryDir out;
    const QString pdf = out.filePath("report.pdf");
    const QString xlsx = out.filePath("report.xlsx");
    const Run run = velq8(db.path(), QStringList{"report"} + args + QStringList{"--pdf", pdf, "--xlsx", xlsx});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY2(QRegularExpression("^" + QRegularExpression::escape(pdf) + ": [1-9][0-9]* 頁\n"
                                + QRegularExpression::escape(xlsx) + ": [1-9][0-9]* 工作表\n$")
                 .match(run.out)
                 .hasMatch(),
             qPrintable(run.out));
    const WorkbookReader workbook(xlsx);
    QVERIFY(workbook.isValid());
    bool found = false;
    for (const WorkbookReader::Cell &cell : workbook.cells(0))
        found = found || cell.value.contains(shown);
    QVERIFY2(found, qPrintable(shown));
}

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
