#include "migration/dbf_reader.h"
#include "tests/support/dbf_writer.h"

#include <QTemporaryDir>
#include <QTest>

// The dBASE reader: fields and records as the header describes them, the bytes
// untouched, and a file that is no table (or a table cut short) refused at open.
class TstDbfReader : public QObject
{
    Q_OBJECT
private slots:
    void readsFieldsAndRawRecords();
    void refusesWhatIsNoWholeTable_data();
    void refusesWhatIsNoWholeTable();

private:
    static DbfWriter twoRecords()
    {
        DbfWriter w;
        w.field("NAME", 'C', 10).field("AMT", 'N', 10, 2).field("DAY", 'D', 8).field("OK", 'L', 1);
        w.field("LONG_TEXT", 'C', 300);
        w.record({"中文", "-12.50", "20240229", "T", "x"});
        w.record({"刪", "1"}, DbfWriter::Deleted);
        return w;
    }
    QTemporaryDir m_dir;
};

void TstDbfReader::readsFieldsAndRawRecords()
{
    const QString path = m_dir.filePath("t.dbf");
    QVERIFY(twoRecords().save(path));
    DbfReader reader;
    QString error;
    QVERIFY2(reader.open(path, &error), qPrintable(error));
    QCOMPARE(reader.recordCount(), 2);
    QStringList described;
    for (const DbfField &f : reader.fields())
        described << QStringLiteral("%1 %2 @%3 %4.%5").arg(f.name).arg(f.type).arg(f.offset).arg(f.length).arg(f.decimals);
    QCOMPARE(described, QStringList({"NAME C @1 10.0", "AMT N @11 10.2", "DAY D @21 8.0", "OK L @29 1.0",
                                     "LONG_TEXT C @30 300.0"}));

    DbfRecord record;
    QVERIFY(reader.next(&record, &error));
    QCOMPARE(record.number, 1);
    QVERIFY(record.isActive());
    QCOMPARE(record.field(reader.fields().at(0)), QByteArray("\xA4\xA4\xA4\xE5      "));
    QCOMPARE(record.field(reader.fields().at(1)), QByteArray("    -12.50"));
    QCOMPARE(record.field(reader.fields().at(4)).size(), 300);
    QVERIFY(reader.next(&record, &error));
    QCOMPARE(record.number, 2);
    QVERIFY(record.isDeleted());
    QVERIFY(!reader.next(&record, &error));
    QCOMPARE(error, QString());
}

void TstDbfReader::refusesWhatIsNoWholeTable_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QByteArray good = twoRecords().bytes();
    const int headerLength = 32 + 5 * 32 + 1;
    auto changed = [&](int at, char byte) {
        QByteArray b = good;
        b[at] = byte;
        return b;
    };
    QTest::newRow("empty file") << QByteArray() << "檔頭不足 32 位元組";
    QTest::newRow("dBASE 7") << changed(0, 0x04) << "dBASE 7";
    QTest::newRow("no end of descriptors") << changed(headerLength - 1, 'X') << "欄位描述沒有結束標記";
    QTest::newRow("record length off by one") << changed(10, char(good.at(10) + 1)) << "記錄長度";
    QTest::newRow("field of no length") << changed(32 + 16, 0) << "欄位描述無效 (第 1 個欄位)";
    QTest::newRow("same field twice") << changed(32 + 32, 'N').replace(32 + 33, 3, "AME") << "欄位 NAME 出現兩次";
    // The end-of-file byte and one byte of the last record gone.
    QTest::newRow("last record cut short") << good.chopped(2) << "檔頭記載 2 筆記錄，檔案只有 1 筆";
    QTest::newRow("a text file") << QByteArray("BANK_NO,BANK_NAME\n995,範例\n996,另一\n") << "不是 dBASE 資料表";
}

void TstDbfReader::refusesWhatIsNoWholeTable()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString path = m_dir.filePath("bad.dbf");
    QVERIFY(DbfWriter::save(path, bytes));
    DbfReader reader;
    QString error;
    QVERIFY(!reader.open(path, &error));
    QVERIFY2(error.startsWith(path + ": ") && error.contains(reason), qPrintable(error));
}

QTEST_GUILESS_MAIN(TstDbfReader)
#include "tst_dbf_reader.moc"
