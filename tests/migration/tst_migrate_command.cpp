#include "db/database.h"
#include "db/declaration_kind.h"
#include "db/path_lock.h"
#include "tests/support/cli_process.h"
#include "tests/support/dbf_writer.h"
#include "tests/support/files.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// velq8-cli migrate, run as a user runs it: a new database from the old dBASE
// tables of a folder, a line per table, a line per refused record, and nothing
// left behind when it cannot be done.
class TstMigrateCommand : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void reportsEveryTableInSchemaOrder();
    void keepsTheOldValues_data();
    void keepsTheOldValues();
    void migratedMonthShowsOnTheOperatingTab();
    void reportsRecordsAndFields_data();
    void reportsRecordsAndFields();
    void createsNothingWhenItCannot_data();
    void createsNothingWhenItCannot();
    void removesTheFolderAKilledRunLeft();
    void helpNamesItAfterInit();

private:
    static CliProcess migrate(const QString &from, const QString &target)
    {
        return velq8(target, {"migrate", "--from", from});
    }
    static bool saveAll(const QString &folder, const QVariantMap &files);
    static QString scalar(const QString &sql);

    QTemporaryDir m_dir;      // the old folder and the database every test of its values reads
    QString m_target;
    CliProcess m_run;
};

bool TstMigrateCommand::saveAll(const QString &folder, const QVariantMap &files)
{
    if (!QDir().mkpath(folder))
        return false;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        if (!DbfWriter::save(QDir(folder).filePath(it.key()), it.value().toByteArray()))
            return false;
    }
    return true;
}

QString TstMigrateCommand::scalar(const QString &sql)
{
    QSqlQuery q(Database::connection());
    if (!q.exec(sql) || !q.next())
        return QStringLiteral("(fails)");
    return q.value(0).toString();
}

namespace {

// A table's bytes with the header's record count set to `count`.
QByteArray counting(QByteArray table, int count)
{
    table[4] = char(count);
    table[5] = table[6] = table[7] = 0;
    return table;
}

} // namespace

// Three tables of an institution, named in three spellings, beside a table of no
// one and a file that is no table.
void TstMigrateCommand::initTestCase()
{
    DbfWriter bn01 = DbfWriter::forTable("BN01");
    bn01.record({"995", "範例商業銀行", "20240229"});
    bn01.record({"997", "已裁撤分行"}, DbfWriter::Deleted);
    bn01.record({"100", "另一銀行", "", "  前有空白"});
    DbfWriter cacno = DbfWriter::forTable("CACNO");
    cacno.record({"21000", "負債"}).record({"11000", "現金"});
    DbfWriter mpbank = DbfWriter::forTable("MPBANK");
    mpbank.record({"115", "10", "995", "11000", "1234.567", "1"});
    mpbank.record({"115", "10", "995", "21000", "-0.5", "2"});
    mpbank.record({"115", "10", "995", "99999", "7", "3"});   // no such account
    mpbank.record({"115", "9", "995", "11000", "1", "1"});    // another month
    const QString from = m_dir.filePath("old");
    QVERIFY(saveAll(from, {{"BN01.DBF", bn01.bytes()},
                           {"cacno.dbf", cacno.bytes()},
                           {"MPBANK.Dbf", mpbank.bytes()},
                           {"NOTES.DBF", DbfWriter().field("X", 'C', 1).record({"x"}).bytes()},
                           {"readme.txt", QByteArray("not a table")}}));
    m_target = m_dir.filePath("CLIENT8.sqlite");
    m_run = migrate(from, m_target);
    QString error;
    QVERIFY2(Database::open(m_target, &error), qPrintable(error + m_run.err));
}

void TstMigrateCommand::cleanupTestCase()
{
    Database::close();
}

void TstMigrateCommand::reportsEveryTableInSchemaOrder()
{
    QString absent;
    for (const char *table : {"EM03", "EM08", "EM09", "HMPBANK"})
        absent += QLatin1String(table) + QStringLiteral("\t無檔案\t建立空資料表\n");
    QString absentAfter;
    for (const char *table : {"HCACNO", "CD01", "Customer", "RuleNo1", "RuleNo2", "HRuleNo1", "HRuleNo2", "CACNONO",
                              "CACNONO1", "CACNONO2", "CACNONO3"})
        absentAfter += QLatin1String(table) + QStringLiteral("\t無檔案\t建立空資料表\n");
    const QString expected = "MPBANK\t讀入 4 筆\t拒絕 0 筆\t已刪除 0 筆\n" + absent
                             + "BN01\t讀入 2 筆\t拒絕 0 筆\t已刪除 1 筆\n"
                               "CACNO\t讀入 2 筆\t拒絕 0 筆\t已刪除 0 筆\n"
                             + absentAfter + "NOTES.DBF\t不是資料庫的資料表，未讀入\n"
                             + "資料庫建立完成: " + m_target + "\n";
    QCOMPARE(m_run.out, expected);
    QCOMPARE(m_run.err, QString());
    QCOMPARE(m_run.status, 0);
}

void TstMigrateCommand::keepsTheOldValues_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("value");
    QTest::newRow("declaring institution stays first") << "select BANK_NO from BN01 order by rowid limit 1" << "995";
    QTest::newRow("deleted record skipped") << "select count(*) from BN01 where BANK_NO = '997'" << "0";
    QTest::newRow("Big5 name decoded") << "select BANK_NAME from BN01 where BANK_NO = '995'" << "範例商業銀行";
    QTest::newRow("leading blanks kept") << "select BN_ADDRESS from BN01 where BANK_NO = '100'" << "  前有空白";
    QTest::newRow("date") << "select BN_DATE from BN01 where BANK_NO = '995'" << "2024-02-29";
    QTest::newRow("blank date is NULL") << "select ADD_DATE is null from BN01 where BANK_NO = '995'" << "1";
    QTest::newRow("blank text is empty") << "select EMAIL is not null and EMAIL = '' from BN01 where BANK_NO = '995'"
                                         << "1";
    QTest::newRow("accounts in file order") << "select ACC_CODE from CACNO order by rowid limit 1" << "21000";
    QTest::newRow("decimals") << "select AMT from MPBANK where ACC_CODE = '11000' and M_MONTH = 10" << "1234.567";
    QTest::newRow("year a whole number") << "select typeof(M_YEAR) || M_YEAR from MPBANK limit 1" << "integer115";
    QTest::newRow("no shipped counties") << "select count(*) from CD01" << "0";
    QTest::newRow("no shipped formulas") << "select count(*) from RuleNo1" << "0";
}

void TstMigrateCommand::keepsTheOldValues()
{
    QFETCH(QString, sql);
    QFETCH(QString, value);
    QCOMPARE(scalar(sql), value);
}

// The operating data tab reads a migrated month with its own statement: the
// accounts of CACNO with their names, in SERIAL order; an account CACNO lacks is
// not shown.
void TstMigrateCommand::migratedMonthShowsOnTheOperatingTab()
{
    QSqlQuery q(Database::connection());
    QVERIFY(q.prepare(DeclarationKind::get(DeclarationKind::B01).tabQuery().statement(true, true)));
    q.bindValue(":BANK_CODE", scalar("select BANK_NO from BN01 order by rowid limit 1"));
    q.bindValue(":seYYY", 115);
    q.bindValue(":seMM", 10);
    QVERIFY(q.exec());
    QStringList rows;
    while (q.next())
        rows << q.value("ACCNAME").toString() + " " + q.value("amt").toString();
    QCOMPARE(rows, QStringList({"11000  現金 1234.567", "21000  負債 -0.5"}));
}

void TstMigrateCommand::reportsRecordsAndFields_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("lines");   // the lines of the file's table
    QTest::addColumn<int>("status");

    auto bn01 = [](const QList<QStringList> &records) {
        DbfWriter w = DbfWriter::forTable("BN01");
        for (const QStringList &r : records)
            w.record(r);
        return w.bytes();
    };
    QTest::newRow("repeated key")
        << "BN01.DBF" << bn01({{"995"}, {"996"}, {"995"}})
        << "BN01\t讀入 2 筆\t拒絕 1 筆\t已刪除 0 筆\n"
           "BN01\t第 3 筆\t鍵值重複 (BANK_NO=995)，與第 1 筆相同\n" << 1;
    QTest::newRow("key of a deleted record free")
        << "BN01.DBF" << DbfWriter::forTable("BN01").record({"995"}, DbfWriter::Deleted).record({"995"}).bytes()
        << "BN01\t讀入 1 筆\t拒絕 0 筆\t已刪除 1 筆\n" << 0;
    QTest::newRow("text Big5 cannot decode")
        << "BN01.DBF"
        << DbfWriter::forTable("BN01").rawRecord({"995", "AB\xA4"}).rawRecord({"996", "\xA4\xA4"}).bytes()
        << "BN01\t讀入 1 筆\t拒絕 1 筆\t已刪除 0 筆\n"
           "BN01\t第 1 筆\tBANK_NAME 的文字無法以 Big5 解碼 (41 42 A4)\n" << 1;
    QTest::newRow("text wider than the new field")
        << "CD01.DBF"
        << DbfWriter().field("HSIEN_ID", 'C', 1).field("HSIEN_NAME", 'C', 20)
               .record({"A", "臺北市"}).record({"E", "高雄市前鎮區"}).bytes()
        << "CD01\t讀入 1 筆\t拒絕 1 筆\t已刪除 0 筆\n"
           "CD01\t第 2 筆\tHSIEN_NAME 寬 12 位元組，超過欄寬 8: 高雄市前鎮區\n" << 1;
    QTest::newRow("year beyond a small integer")
        << "MPBANK.DBF" << DbfWriter::forTable("MPBANK").record({"40000", "1", "995", "11000", "1", "1"}).bytes()
        << "MPBANK\t讀入 0 筆\t拒絕 1 筆\t已刪除 0 筆\n"
           "MPBANK\t第 1 筆\tM_YEAR 超出 -32768 至 32767: 40000\n" << 1;
    QTest::newRow("blank key field")
        << "MPBANK.DBF" << DbfWriter::forTable("MPBANK").record({"115", "", "995", "11000", "1", "1"}).bytes()
        << "MPBANK\t讀入 0 筆\t拒絕 1 筆\t已刪除 0 筆\nMPBANK\t第 1 筆\t鍵欄位 M_MONTH 空白\n" << 1;
    QTest::newRow("no such day")
        << "BN01.DBF" << bn01({{"995", "甲", "20230229"}})
        << "BN01\t讀入 0 筆\t拒絕 1 筆\t已刪除 0 筆\nBN01\t第 1 筆\tBN_DATE 不是有效日期: 20230229\n" << 1;
    QTest::newRow("flag byte neither blank nor star")
        << "CD01.DBF" << DbfWriter::forTable("CD01").flaggedRecord('X', {"A", "x"}).bytes()
        << "CD01\t讀入 0 筆\t拒絕 1 筆\t已刪除 0 筆\nCD01\t第 1 筆\t記錄的刪除旗標無效 (0x58)\n" << 1;
    QTest::newRow("table without a key keeps repeats")
        << "CACNONO3.DBF" << DbfWriter::forTable("CACNONO3").record({"x", "1"}).record({"x", "1"}).bytes()
        << "CACNONO3\t讀入 2 筆\t拒絕 0 筆\t已刪除 0 筆\n" << 0;
    QTest::newRow("blank text key")
        << "BN01.DBF" << bn01({{"995"}, {"", "無代號"}})
        << "BN01\t讀入 1 筆\t拒絕 1 筆\t已刪除 0 筆\nBN01\t第 2 筆\t鍵欄位 BANK_NO 空白\n" << 1;
    // NULs that pad a field are no part of its text; one inside it is.
    QTest::newRow("NUL inside a text")
        << "BN01.DBF"
        << DbfWriter::forTable("BN01").rawRecord({"995", QByteArray("AB\0\0", 4)})
               .rawRecord({"996", QByteArray("AB\0CD", 5)}).bytes()
        << "BN01\t讀入 1 筆\t拒絕 1 筆\t已刪除 0 筆\nBN01\t第 2 筆\tBANK_NAME 含控制字元 0x00 (第 3 個字)\n" << 1;
    QTest::newRow("line break inside a text")
        << "BN01.DBF" << bn01({{"995", "甲\n乙"}})
        << "BN01\t讀入 0 筆\t拒絕 1 筆\t已刪除 0 筆\nBN01\t第 1 筆\tBANK_NAME 含控制字元 0x0A (第 2 個字)\n" << 1;
    QTest::newRow("tab inside a number, shown in hexadecimal")
        << "MPBANK.DBF" << DbfWriter::forTable("MPBANK").record({"1\t5", "1", "995", "11000", "1", "1"}).bytes()
        << "MPBANK\t讀入 0 筆\t拒絕 1 筆\t已刪除 0 筆\nMPBANK\t第 1 筆\tM_YEAR 不是數值: 31 09 35\n" << 1;
    // The old program wrote a record before raising the header's count.
    const QByteArray three = bn01({{"995"}, {"996"}, {"997"}});
    const int recordLength = quint8(three.at(10)) | quint8(three.at(11)) << 8;
    QTest::newRow("records beyond the header's count")
        << "BN01.DBF" << counting(three, 1)
        << "BN01\t讀入 3 筆\t拒絕 0 筆\t已刪除 0 筆\nBN01\t檔頭記載 1 筆，其後另有 2 筆完整記錄，一併讀入\n" << 0;
    QTest::newRow("crash mid-append: the last record cut short")
        << "BN01.DBF" << counting(three, 1).chopped(4)
        << "BN01\t讀入 2 筆\t拒絕 1 筆\t已刪除 0 筆\nBN01\t檔頭記載 1 筆，其後另有 1 筆完整記錄，一併讀入\n"
           "BN01\t第 3 筆\t記錄不完整 (只有 " + QString::number(recordLength - 3) + " 位元組，應為 "
               + QString::number(recordLength) + " 位元組)\n" << 1;
    QTest::newRow("nothing beyond the end-of-file mark")
        << "BN01.DBF" << counting(three, 3) + QByteArray(" 998 garbage")
        << "BN01\t讀入 3 筆\t拒絕 0 筆\t已刪除 0 筆\n" << 0;
    QTest::newRow("field names in another case")
        << "RuleNo1.dbf" << DbfWriter().field("ACC_TYPE", 'C', 1).field("CANO", 'C', 3).field("QUOP", 'C', 2)
                                .field("REMARK", 'C', 40).record({"1", "001", ">=", "資產"}).bytes()
        << "RuleNo1\t讀入 1 筆\t拒絕 0 筆\t已刪除 0 筆\n" << 0;
    QTest::newRow("fields missing and extra")
        << "CACNO.DBF" << DbfWriter().field("ACC_CODE", 'C', 5).field("ACC_NAME", 'C', 40).field("FAX", 'C', 9)
                              .record({"11000", "現金", "x"}).bytes()
        << "CACNO\t讀入 1 筆\t拒絕 0 筆\t已刪除 0 筆\n"
           "CACNO\t缺少欄位 ACC_B_NAME，留空\nCACNO\t缺少欄位 UACNO，留空\nCACNO\t缺少欄位 DACNO，留空\n"
           "CACNO\t未讀入欄位 FAX\n" << 0;
}

// Refused records are named and the rest comes over; fields the file lacks or
// adds are named. Status 1 when a record was refused, 0 otherwise; the database
// is created either way.
void TstMigrateCommand::reportsRecordsAndFields()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, lines);
    QFETCH(int, status);
    QTemporaryDir dir;
    QVERIFY(saveAll(dir.filePath("old"), {{file, bytes}}));
    const QString target = dir.filePath("new.sqlite");
    const CliProcess run = migrate(dir.filePath("old"), target);
    const QString table = lines.section(u'\t', 0, 0);
    QString tableLines;
    for (const QString &line : run.out.split(u'\n')) {
        if (line.startsWith(table + u'\t'))
            tableLines += line + u'\n';
    }
    QCOMPARE(tableLines, lines);
    QCOMPARE(run.status, status);
    QCOMPARE(run.err, status ? QStringLiteral("共拒絕 1 筆記錄，未移入新資料庫\n") : QString());
    QVERIFY(run.out.endsWith("資料庫建立完成: " + target + "\n"));
    QVERIFY(QFile::exists(target));
}

void TstMigrateCommand::createsNothingWhenItCannot_data()
{
    QTest::addColumn<QVariantMap>("files");
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<QString>("database");    // $TARGET the file of the database
    QTest::addColumn<QStringList>("options"); // after "migrate"; $FROM the old folder
    QTest::addColumn<QString>("message");     // the start of standard error

    const QStringList fromOld{"--from", "$FROM"};
    auto row = [&](const char *name, const QVariantMap &files, const QString &message,
                   const QStringList &options, const QString &database = "$TARGET", bool exists = false) {
        QTest::newRow(name) << files << exists << database << options << message;
    };
    const QByteArray bn01 = DbfWriter::forTable("BN01").record({"995", "範例"}).bytes();
    const QByteArray mpbank = DbfWriter::forTable("MPBANK").record({"115", "10", "995", "11000", "1", "1"}).bytes();
    const QByteArray noKey = DbfWriter().field("ACC_NAME", 'C', 40).record({"現金"}).bytes();
    const QByteArray memo = DbfWriter().field("ACC_CODE", 'C', 5).field("ACC_NAME", 'M', 10).bytes();
    const QByteArray cutShort = DbfWriter::forTable("CACNONO2").record({"001", "11000"}).bytes().chopped(3);

    row("target exists", {{"BN01.DBF", bn01}}, "資料庫檔案已存在，不予覆蓋: $TARGET", fromOld, "$TARGET", true);
    row("folder of the target missing", {{"BN01.DBF", bn01}}, "資料庫的資料夾不存在: $TARGET", fromOld,
        "$TARGET/x.sqlite");
    row("no such folder", {}, "找不到資料夾: $FROM/none", {"--from", "$FROM/none"});
    row("no table in the folder", {{"NOTES.DBF", bn01}}, "資料夾 $FROM 沒有任何資料表的檔案 (.dbf)", fromOld);
    row("two files for one table", {{"BN01.DBF", bn01}, {"bn01.dbf", bn01}},
        "資料表 BN01 有兩個檔案: BN01.DBF、bn01.dbf", fromOld);
    row("key field missing", {{"BN01.DBF", bn01}, {"CACNO.DBF", noKey}}, "CACNO.DBF: 缺少鍵欄位 ACC_CODE", fromOld);
    row("memo field", {{"CACNO.DBF", memo}}, "CACNO.DBF: 欄位 ACC_NAME 的型別 M 無法轉換", fromOld);
    row("not a dBASE file", {{"BN01.DBF", QByteArray("BANK_NO,BANK_NAME\n995,範例\n")}},
        "$FROM/BN01.DBF: 不是 dBASE 資料表", fromOld);
    // MPBANK and BN01 are written before the last table but one turns out cut short.
    row("table cut short mid-way", {{"MPBANK.DBF", mpbank}, {"BN01.DBF", bn01}, {"CACNONO2.DBF", cutShort}},
        "$FROM/CACNONO2.DBF: 檔案不完整: 檔頭記載 1 筆記錄，檔案只有 0 筆", fromOld);
    row("no --from", {{"BN01.DBF", bn01}}, "migrate needs --from DIR", {});
    row("unknown argument", {{"BN01.DBF", bn01}}, "migrate takes only --from DIR: -x", fromOld + QStringList{"-x"});
}

// Status 2, the reason on standard error, nothing on standard output, and the
// folder of the database as it was: no database, no temporary file.
void TstMigrateCommand::createsNothingWhenItCannot()
{
    QFETCH(QVariantMap, files);
    QFETCH(bool, targetExists);
    QFETCH(QString, database);
    QFETCH(QStringList, options);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString from = dir.filePath("old");
    const QString target = dir.filePath("new.sqlite");
    QVERIFY(saveAll(from, files));
    if (targetExists)
        QVERIFY(DbfWriter::save(target, "mine, not to be touched"));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QStringList args{"--database", database.replace("$TARGET", target), "migrate"};
    for (const QString &option : options)
        args << QString(option).replace("$FROM", from);
    const CliProcess run = velq8(args);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.out, QString());
    const QString expected = QString(message).replace("$FROM", from).replace("$TARGET", target);
    QVERIFY2(run.err.startsWith(expected), qPrintable(run.err));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    if (targetExists)
        QCOMPARE(contents(target), QByteArray("mine, not to be touched"));
}

// A run killed before its rename leaves ".<target>.migrate-XXXXXX"; the next run
// for that target removes it, and nothing else of the folder: not the folder of a
// run still going.
void TstMigrateCommand::removesTheFolderAKilledRunLeft()
{
    QTemporaryDir dir;
    QVERIFY(saveAll(dir.filePath("old"), {{"BN01.DBF", DbfWriter::forTable("BN01").record({"995", "範例"}).bytes()}}));
    const QStringList leftover{".new.sqlite.migrate-Ab12Cd"};
    const QStringList kept{".new.sqlite.migrate-mine", ".other.sqlite.migrate-Ab12Cd", "new.sqlite.migrate-Ab12Cd",
                           ".new.sqlite.migrate-Live01"};
    for (const QString &name : leftover + kept)
        QVERIFY(QDir().mkpath(dir.filePath(name)) && DbfWriter::save(dir.filePath(name + "/CLIENT8.sqlite"), "half"));
    PathLock live;   // the folder of a run still going
    QVERIFY(live.hold(dir.filePath(".new.sqlite.migrate-Live01")));
    const CliProcess run = migrate(dir.filePath("old"), dir.filePath("new.sqlite"));
    QCOMPARE(run.status, 0);
    QStringList expected = kept + QStringList{"new.sqlite", "old"};
    expected.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name), expected);
}

void TstMigrateCommand::helpNamesItAfterInit()
{
    const CliProcess run = velq8({"--help"});
    QCOMPARE(run.status, 0);
    const auto init = run.out.indexOf("\n  init\n");
    const auto migrate = run.out.indexOf("\n  migrate --from DIR\n");
    const auto exportAt = run.out.indexOf("\n  export ");
    QVERIFY2(init >= 0 && init < migrate && migrate < exportAt, qPrintable(run.out));
}

QTEST_GUILESS_MAIN(TstMigrateCommand)
#include "tst_migrate_command.moc"
