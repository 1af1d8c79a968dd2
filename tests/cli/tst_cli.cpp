#include "db/path_lock.h"
#include "tests/support/cli_process.h"
#include "tests/support/files.h"
#include "tests/support/test_database.h"

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

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
