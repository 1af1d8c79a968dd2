#include "db/database.h"
#include "db/schema.h"
#include "tests/support/cli_process.h"
#include "tests/support/files.h"
#include "tests/support/test_database.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// velq8-cli copy, run as a user runs it: its lines and exit statuses.
class TstCopyCommand : public QObject
{
    Q_OBJECT
private slots:
    void linesAndStatus_data();
    void linesAndStatus();
};

void TstCopyCommand::linesAndStatus_data()
{
    QTest::addColumn<QStringList>("args");     // SOURCE: a database; NOTES: a text file; TARGET: a new file's path
    QTest::addColumn<QString>("existing");     // what stands at TARGET before: "", "database" or "text"
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("lastErrLine");  // "" when copied
    QTest::newRow("copied and verified") << QStringList{"--database", "SOURCE", "copy", "--to", "TARGET"} << "" << 0 << "";
    QTest::newRow("the target holds tables") << QStringList{"--database", "SOURCE", "copy", "--to", "TARGET"} << "database" << 2
                                             << "未複製任何資料: TARGET";
    QTest::newRow("a file stands at the target") << QStringList{"--database", "SOURCE", "copy", "--to", "TARGET"} << "text" << 2
                                                 << "未複製任何資料: TARGET";
    QTest::newRow("the source is not a database") << QStringList{"--database", "NOTES", "copy", "--to", "TARGET"}
                                                  << "" << 2 << "未複製任何資料: TARGET";
    QTest::newRow("without --to") << QStringList{"--database", "SOURCE", "copy"} << "" << 2
                                  << "copy needs --to: copy --to postgresql://[user@]host[:port]/database";
    QTest::newRow("--to without a value") << QStringList{"--database", "SOURCE", "copy", "--to"} << "" << 2
                                          << "copy needs --to: copy --to postgresql://[user@]host[:port]/database";
    QTest::newRow("an extra argument") << QStringList{"--database", "SOURCE", "copy", "--to", "TARGET", "--force"} << "" << 2
                                       << "copy: unexpected arguments: --force";
}

void TstCopyCommand::linesAndStatus()
{
    QFETCH(QStringList, args);
    QFETCH(QString, existing);
    QFETCH(int, status);
    QFETCH(QString, lastErrLine);
    TestDatabase source(TestDatabase::Content::ReferenceData);
    QVERIFY2(source.isValid(), qPrintable(source.lastError()));
    QTemporaryDir dir;
    const QString target = dir.filePath("target.sqlite");
    if (existing == u"database") {
        QVERIFY(Database::create(target, nullptr, false));
    } else if (existing == u"text") {
        QVERIFY(writeFile(target, "mine\n"));
    }
    QVERIFY(writeFile(dir.filePath("notes.txt"), "not a database\n"));
    args.replaceInStrings(QRegularExpression("^TARGET$"), target);
    args.replaceInStrings(QRegularExpression("^NOTES$"), dir.filePath("notes.txt"));
    args.replaceInStrings(QRegularExpression("^SOURCE$"), source.path());
    lastErrLine.replace("TARGET", target);
    const QByteArray before = contents(target);

    const CliProcess run = velq8(args);
    QCOMPARE(run.status, status);
    if (status != 0) {
        QCOMPARE(run.err.trimmed().split('\n').last(), lastErrLine);
        QCOMPARE(run.out, QString());
        QCOMPARE(contents(target), before);
        return;
    }
    // A line per table in the schema's order, then the closing line.
    const QStringList lines = run.out.trimmed().split('\n');
    QCOMPARE(lines.size(), Schema::tables().size() + 1);
    const QRegularExpression tableLine("^(\\w+)\t複製 (\\d+) 筆\t寫入敘述 (\\d+) 個\tSHA-256 [0-9a-f]{64}$");
    for (int i = 0; i < Schema::tables().size(); ++i) {
        const auto m = tableLine.match(lines.at(i));
        QVERIFY2(m.hasMatch(), qPrintable(lines.at(i)));
        const QString table = Schema::tables().at(i).name;
        QCOMPARE(m.captured(1), table);
        QCOMPARE(m.captured(2).toInt(), source.count(table));
    }
    QCOMPARE(lines.last(), "複製並核對完成: " + target);
    QCOMPARE(run.err, QString());
}

QTEST_GUILESS_MAIN(TstCopyCommand)
#include "tst_copy_command.moc"
