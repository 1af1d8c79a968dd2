#include "tests/support/cli_process.h"
#include "tests/support/database_test.h"
#include "tests/support/files.h"

#include <QCryptographicHash>

// velq8-cli export: the same engine as the dialog, messages on standard error,
// no question asked.
class TstExportCli : public DatabaseTest
{
    Q_OBJECT
private slots:
    void init();
    void writesTheChosenKindsForTheFirstInstitution();
    void keepsAnExistingFileUnlessOverwrite();
    void nothingWrittenIsStatusOne();
    void failureIsStatusTwo();
    void refusesWrongArguments_data();
    void refusesWrongArguments();

private:
    using Run = CliProcess;
    Run cli(const QStringList &args) { return velq8(m_db->path(), QStringList{"export"} + args); }
    // The line printed for a file written (as verify prints it), its
    // fingerprint taken here from the file on the disk.
    static QString fileLine(const QString &path, const QString &kind, int records);
};

void TstExportCli::init()
{
    DatabaseTest::init();
    // The declaring institution is the first BN01 record in stored order, whatever its key.
    QVERIFY(m_db->insertRow("BN01", {{"BANK_NO", "XYZ"}, {"BANK_NAME", "申報機構"}}));
    QVERIFY(m_db->insertRow("BN01", {{"BANK_NO", "ABC"}, {"BANK_NAME", "另一機構"}}));
    QVERIFY(m_db->insertRow("MPBANK", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "XYZ"}, {"ACC_CODE", "11000"},
                                       {"AMT", 1.5}, {"SERIAL", 1}}));
    QVERIFY(m_db->insertRow("EM08", {{"BANK_CODE", "XYZ"}, {"M_YEAR", 88}, {"M_MONTH", 5}, {"FLAG1", "1"},
                                     {"FLAG2", "2"}, {"FLAG3", "10"}, {"FLAG4", "1"}, {"RATE", 2.5}}));
}

QString TstExportCli::fileLine(const QString &path, const QString &kind, int records)
{
    if (!QFile::exists(path))
        return QStringLiteral("<missing %1>").arg(path);
    const QByteArray sha256 = QCryptographicHash::hash(contents(path), QCryptographicHash::Sha256).toHex();
    return QStringList{path, kind, "XYZ", "088/05", QString::number(records), QString::fromLatin1(sha256)}.join(u'\t')
         + u'\n';
}

void TstExportCli::writesTheChosenKindsForTheFirstInstitution()
{
    const QString dir = m_out->path();
    const Run r = cli({"--year", "88", "--month", "5", "--kinds", "B03,b01,B02", "--dir", dir});
    QCOMPARE(r.status, 0);
    // The paths as ever, then each file with its records and fingerprint.
    QCOMPARE(r.out, dir + "/B01XYZ000008805\n" + dir + "/B03XYZ000008805\n"
                        + fileLine(dir + "/B01XYZ000008805", "B01", 1) + fileLine(dir + "/B03XYZ000008805", "B03", 1));
    QCOMPARE(r.err, QStringLiteral("查無符合之各營業單位逾期放款比率資料!!!\n匯出作業完成!!!\n"));
    QCOMPARE(contents(dir + "/B01XYZ000008805"), QByteArray("08805XYZ000011000" "000000000001.5\r\n"));
}

void TstExportCli::keepsAnExistingFileUnlessOverwrite()
{
    const QString path = m_out->filePath("B03XYZ000008805");
    QVERIFY(writeFile(path, "old"));
    Run r = cli({"--year", "88", "--month", "5", "--kinds", "B03", "--dir", m_out->path()});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(path + "  檔案已存在"), qPrintable(r.err));
    QVERIFY(!r.err.contains("匯出作業完成!!!"));
    QCOMPARE(contents(path), QByteArray("old"));

    r = cli({"--year", "88", "--month", "5", "--kinds", "B03", "--dir", m_out->path(), "--overwrite"});
    QCOMPARE(r.status, 0);
    QCOMPARE(contents(path), QByteArray("08805XYZ00001210" "1" "0250\r\n"));
}

void TstExportCli::nothingWrittenIsStatusOne()
{
    const Run r = cli({"--year", "88", "--month", "6", "--dir", m_out->path()});
    QCOMPARE(r.status, 1);
    QCOMPARE(r.err.count(QStringLiteral("查無符合之")), 5);
    QVERIFY(r.out.isEmpty());
    QVERIFY(QDir(m_out->path()).isEmpty());
}

void TstExportCli::failureIsStatusTwo()
{
    QVERIFY(m_db->insertRow("EM03", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "XYZ"}, {"BANK_CODE1", "XYZ0011"},
                                     {"M_RATE", 100.0}}));
    const Run r = cli({"--year", "88", "--month", "5", "--dir", m_out->path()});
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains("各營業單位逾期放款比率檔匯出失敗!!!"), qPrintable(r.err));
    QVERIFY2(r.err.contains("XYZ0011"), qPrintable(r.err));
    QVERIFY(!r.err.contains("匯出作業完成!!!"));
    // B01 came before the failure and was written.
    const QString b01 = m_out->path() + "/B01XYZ000008805";
    QCOMPARE(r.out, b01 + "\n" + fileLine(b01, "B01", 1));

    const Run missing = cli({"--year", "88", "--month", "5", "--kinds", "B01", "--dir", m_out->filePath("no/such")});
    QCOMPARE(missing.status, 2);
    QVERIFY(missing.err.contains("營運資料匯出失敗!!!"));
}

void TstExportCli::refusesWrongArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no year") << QStringList{"--month", "5", "--dir", "."};
    QTest::newRow("no dir") << QStringList{"--year", "88", "--month", "5"};
    QTest::newRow("month 13") << QStringList{"--year", "88", "--month", "13", "--dir", "."};
    QTest::newRow("unknown kind") << QStringList{"--year", "88", "--month", "5", "--kinds", "B01,B09", "--dir", "."};
    QTest::newRow("empty kinds") << QStringList{"--year", "88", "--month", "5", "--kinds", ",", "--dir", "."};
    QTest::newRow("stray argument") << QStringList{"--year", "88", "--month", "5", "--dir", ".", "extra"};
    // Not the current folder: an empty name is no folder.
    QTest::newRow("empty dir") << QStringList{"--year", "88", "--month", "5", "--dir", ""};
}

void TstExportCli::refusesWrongArguments()
{
    QFETCH(QStringList, args);
    const Run r = cli(args);
    QCOMPARE(r.status, 2);
    QVERIFY(!r.err.isEmpty());
    QVERIFY(QDir(m_out->path()).isEmpty());
}

QTEST_GUILESS_MAIN(TstExportCli)
#include "tst_export_cli.moc"
