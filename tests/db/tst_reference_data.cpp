#include "db/reference_data.h"
#include "db/schema.h"
#include "tests/support/engine_words.h"
#include "tests/support/files.h"
#include "tests/support/test_database.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

// The reference data files: read in file order, checked against the table's
// fields and widths, and loaded into every new database.
class tst_ReferenceData : public QObject
{
    Q_OBJECT

private slots:
    void loadsFolderInFileOrder();
    void refusesBadFiles_data();
    void refusesBadFiles();
    void shippedDataLoadsInFileOrder();
};

namespace {

// The data lines of a file: its rows as they should be stored.
QList<QStringList> dataLines(const QString &path)
{
    QList<QStringList> rows;
    for (QString line : QString::fromUtf8(contents(path)).split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('#') || line.trimmed().isEmpty())
            continue;
        rows << line.split('\t');
    }
    return rows;
}

} // namespace

void tst_ReferenceData::loadsFolderInFileOrder()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QTemporaryDir dir;
    // Fields in another order and a subset of them; comments and blank lines
    // anywhere; CRLF line ends.
    QVERIFY(writeFile(dir.filePath("CD01.tsv"), "# counties\r\nHSIEN_NAME\tHSIEN_ID\r\n臺北市\tZ\r\n# note\r\n\t\r\n基隆市\tA\r\n"));
    QVERIFY(writeFile(dir.filePath("BN01.tsv"), "BANK_NO\tBN_DATE\tBANK_NAME\n995\t\t銀行\n9950011\t1992-04-01\t\n"));
    // A key field is never empty; an empty number outside the key is.
    QVERIFY(writeFile(dir.filePath("RuleNo2.tsv"), "cano\tleft_flag\tnserial\tacc_code\n001\t0\t7\t11000\n"));
    QVERIFY(writeFile(dir.filePath("MPBANK.tsv"), "M_YEAR\tM_MONTH\tBANK_CODE\tACC_CODE\tSERIAL\n115\t1\t995\t11000\t\n"));
    QVERIFY(writeFile(dir.filePath("unknown.tsv"), "whatever\n"));   // not a table: ignored
    QString error;
    QVERIFY(db.db().transaction());
    QVERIFY2(ReferenceData::load(db.db(), dir.path(), &error), qPrintable(error));
    QVERIFY(db.db().commit());

    QCOMPARE(db.scalar("select group_concat(HSIEN_ID || '=' || HSIEN_NAME, ';') from (select * from CD01 order by rowid) as c").toString(),
             QString("Z=臺北市;A=基隆市"));
    // Empty cells: NULL for numbers and dates, '' for text.
    QCOMPARE(db.scalar("select typeof(BN_DATE) from BN01 where BANK_NO = '995'").toString(), QString("null"));
    QCOMPARE(db.scalar("select typeof(BANK_NAME) from BN01 where BANK_NO = '9950011'").toString(), QString("text"));
    QCOMPARE(db.scalar("select typeof(ACCOUNT) from BN01 where BANK_NO = '995'").toString(), QString("null"));   // not in the file
    QCOMPARE(db.scalar("select typeof(nserial) from RuleNo2").toString(), QString("integer"));
    QCOMPARE(db.scalar("select typeof(SERIAL) || ',' || typeof(AMT) from MPBANK").toString(), QString("null,null"));
    QCOMPARE(db.scalar("select typeof(BN_DATE) || BN_DATE from BN01 where BANK_NO = '9950011'").toString(),
             QString("text1992-04-01"));
}

void tst_ReferenceData::refusesBadFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown field") << "CD01" << "HSIEN_ID\tCOUNTY\nA\tx\n" << "第 1 行: 資料表 CD01 沒有欄位 COUNTY";
    QTest::newRow("too wide") << "CD01" << "# c\nHSIEN_ID\tHSIEN_NAME\nA\t臺北市\nB\t新北市政府\n" << "第 4 行: 欄位 HSIEN_NAME 超過 8 個位元組";
    QTest::newRow("too many cells") << "CD01" << "HSIEN_ID\tHSIEN_NAME\nA\tx\ty\n" << "第 2 行: 應有 2 欄, 實有 3 欄";
    QTest::newRow("not a number") << "MPBANK" << "M_YEAR\tM_MONTH\tBANK_CODE\tACC_CODE\tAMT\n115\t1\t995\t1\t1,5\n" << "第 2 行: 欄位 AMT 不是數值";
    QTest::newRow("not a small integer") << "MPBANK" << "M_YEAR\tM_MONTH\tBANK_CODE\tACC_CODE\n115\t99999\t995\t1\n" << "欄位 M_MONTH 不是整數";
    QTest::newRow("not a date") << "BN01" << "BANK_NO\tBN_DATE\n995\t1992/04/01\n" << "欄位 BN_DATE 不是日期";
    QTest::newRow("repeated key") << "CD01" << "HSIEN_ID\tHSIEN_NAME\nA\tx\nA\ty\n" << "第 3 行: " + EngineWords::messageStart() + EngineWords::repeatedKey();
    QTest::newRow("repeated field") << "CD01" << "HSIEN_ID\tHSIEN_ID\n" << "欄位 HSIEN_ID 重複";
}

void tst_ReferenceData::refusesBadFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, content);
    QFETCH(QString, message);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QTemporaryDir dir;
    const QString path = dir.filePath(file + ".tsv");
    QVERIFY(writeFile(path, content.toUtf8()));
    QString error;
    QVERIFY(db.db().transaction());
    QVERIFY(!ReferenceData::load(db.db(), dir.path(), &error));
    QVERIFY(db.db().rollback());
    QVERIFY2(error.contains(path) && error.contains(message), qPrintable(error));
    QCOMPARE(db.count(file), 0);
}

void tst_ReferenceData::shippedDataLoadsInFileOrder()
{
    if (!QFile::exists(":/data/CD01.tsv"))
        QSKIP("the reference data files are not built in");
    TestDatabase db(TestDatabase::Content::ReferenceData);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    int tablesWithData = 0;
    for (const TableDef &t : Schema::tables()) {
        const QString path = ":/data/" + t.name + ".tsv";
        if (!QFile::exists(path)) {
            QCOMPARE(db.count(t.name), 0);
            continue;
        }
        ++tablesWithData;
        const QList<QStringList> lines = dataLines(path);
        QVERIFY(!lines.isEmpty());
        const QString firstField = lines.first().first();
        QCOMPARE(db.count(t.name), lines.size() - 1);
        QSqlQuery q(db.db());
        QVERIFY(q.exec(QString("select %1 from %2 order by rowid").arg(firstField, t.name)));
        for (int i = 1; i < lines.size(); ++i) {
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), lines.at(i).first());
        }
    }
    QVERIFY(tablesWithData > 0);
    // The declaring institution and the counties every screen relies on.
    QCOMPARE(db.count("CD01"), 22);
    QCOMPARE(db.scalar("select length(BANK_NO) from BN01 order by rowid limit 1").toInt(), 3);
    QCOMPARE(db.count("CACNONO3"), 0);
}

QTEST_GUILESS_MAIN(tst_ReferenceData)
#include "tst_reference_data.moc"
