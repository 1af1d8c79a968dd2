#include "tests/interchange/import_fixture.h"
#include "tests/support/cli_process.h"

#include <QCryptographicHash>

// velq8-cli verify, and the lines velq8-cli export prints for the files it wrote.
class TestVerifyCli : public ImportFixture
{
    Q_OBJECT

    static QByteArray goodB01()
    {
        return crlf({b01("08805", "ABC0000", "11000", "1234.5"), b01("08805", "ABC0000", "11500", "-0.5"),
                     b01("08805", "ABC0000", "1234p", "12345")});
    }
    // The line verify prints for a well-formed file.
    static QString lineOf(const QString &path, const QString &kind, int records)
    {
        const QByteArray hex = QCryptographicHash::hash(bytesOf(path), QCryptographicHash::Sha256).toHex();
        return QStringList{path, kind, "ABC", "088/05", QString::number(records), QString::fromLatin1(hex)}.join(u'\t')
             + u'\n';
    }

private slots:
    void init() { setUp(); }

    void verifiesOneFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("records");   // -1: not well-formed
        QTest::addColumn<QString>("fault"); // on standard error: the message and the line and field

        const QByteArray good = goodB01();
        auto altered = [&](const QByteArray &from, const QByteArray &to) { return QByteArray(good).replace(from, to); };
        QTest::newRow("good") << "B01ABC000008805" << good << 3 << "";
        QTest::newRow("good, read under a .TXT name") << "B01ABC000008805.TXT" << good << 3 << "";
        QTest::newRow("good, kind in small letters") << "b01ABC000008805" << good << 3 << "";
        QTest::newRow("a blank institution is skipped")
            << "B01ABC000008805" << altered("08805ABC000011500", "08805       11500") << 2 << "";
        QTest::newRow("truncated in a line") << "B01ABC000008805" << good.left(good.size() - 9) << -1
                                             << "檔案格式有誤,請查明 !!!\n    第 3 行: 長度 24 不足";
        QTest::newRow("truncated to nothing") << "B01ABC000008805" << QByteArray() << -1 << "檔案沒有任何資料";
        QTest::newRow("altered amount") << "B01ABC000008805" << altered("-0.5", "-0x5") << -1
                                        << "檔案格式有誤,請查明 !!!\n    第 2 行 AMT 欄位: 不是數值";
        QTest::newRow("altered month") << "B01ABC000008805" << altered("08805ABC000011500", "08806ABC000011500") << -1
                                       << "檔名規則與資料內容不符,請查明再進行匯入!!!!!!\n    第 2 行 M_MONTH 欄位";
        QTest::newRow("named for another month") << "B01ABC000008806" << good << -1 << "第 1 行 M_MONTH 欄位";
        // The import would take the first 24 characters of each line.
        QTest::newRow("named for a shorter kind") << "B02ABC000008805" << good << -1
                                                  << "第 1 行: 長度 31 超過記錄長度 24";
        QTest::newRow("repeated business unit")
            << "B02ABC000008805" << crlf({"08805ABC0000ABC001102500", "08805ABC0000ABC001101250"}) << -1
            << "第 2 行: 資料重複";
        QTest::newRow("ends with the end-of-file mark") << "B01ABC000008805" << good + "\x1a" << 3 << "";
        QTest::newRow("end-of-file mark before the end")
            << "B01ABC000008805" << altered("\r\n08805ABC000011500", "\r\n\x1a" "08805ABC000011500") << -1
            << "第 2 行: 第 1 個字元不是 ASCII 可列印字元 (0x1a)";
        QTest::newRow("year 000 in the name") << "B01ABC000000005" << good << -1
                                              << "檔案格式有誤,請查明 !!!\n    檔名的年 0 超出範圍 (1-999)";
        QTest::newRow("unknown name") << "X01ABC000008805" << good << -1 << "應以 B01 至 B05 開頭";
        QTest::newRow("missing") << "B01ABC000008805" << QByteArray("<none>") << -1
                                 << "無法讀取匯入檔案 !!!\n    <path>: 找不到檔案";
    }

    // A well-formed file: its line on standard output, status 0. Any other: the
    // import's message and the first fault on standard error, status 2.
    void verifiesOneFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, records);
        QFETCH(QString, fault);
        const QString path = bytes == "<none>" ? m_out->filePath(name) : writeFile(name, bytes);
        const CliProcess run = velq8({"verify", path});
        if (records >= 0) {
            QCOMPARE(run.status, 0);
            QCOMPARE(run.out, lineOf(path, "B01", records));
            QCOMPARE(run.err, QString());
            return;
        }
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QString());
        fault.replace("<path>", path);
        QVERIFY2(run.err.startsWith(path + ": ") && run.err.contains(fault), qPrintable(run.err));
    }

    void statusOfACommandLine_data()
    {
        QTest::addColumn<QStringList>("files");   // good, bad, missing or an option
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("listed");
        QTest::newRow("no file") << QStringList() << 2 << 0;
        QTest::newRow("an option") << QStringList{"good", "--quiet"} << 2 << 0;
        QTest::newRow("every file good") << QStringList{"good", "good"} << 0 << 2;
        QTest::newRow("one missing among good ones") << QStringList{"good", "missing", "good"} << 2 << 2;
        QTest::newRow("one bad before a good one") << QStringList{"bad", "good"} << 2 << 1;
    }

    // One file that is not well-formed makes the status 2; every file is still
    // looked at, and the good ones listed in the order given.
    void statusOfACommandLine()
    {
        QFETCH(QStringList, files);
        QFETCH(int, status);
        QFETCH(int, listed);
        const QString good = writeFile("B01ABC000008805", goodB01());
        const QString bad = writeFile("B01ABC000008805.TXT", goodB01().left(40));
        QStringList args{"verify"};
        for (const QString &f : files)
            args << (f == u"good" ? good : f == u"bad" ? bad : f == u"missing" ? m_out->filePath("B03ABC000008805") : f);
        const CliProcess run = velq8(args);
        QCOMPARE(run.status, status);
        QCOMPARE(run.out, lineOf(good, "B01", 3).repeated(listed));
        QCOMPARE(run.err.isEmpty(), status == 0);
    }

    // What export prints for each file written, verify prints for that file:
    // the two can be compared line for line.
    void exportAndVerifyPrintTheSameLines()
    {
        const QString out = m_out->filePath("out");
        QVERIFY(QDir().mkpath(out));
        const CliProcess exported = velq8({"--database", m_db->path(), "export", "--year", "88", "--month", "5",
                                         "--dir", out});
        QCOMPARE(exported.status, 0);
        QStringList lines = exported.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 10);
        const QStringList paths = lines.mid(0, 5);
        const QStringList fileLines = lines.mid(5);
        QCOMPARE(paths.first(), out + "/B01ABC000008805");

        const CliProcess verified = velq8(QStringList{"verify"} + paths);
        QCOMPARE(verified.status, 0);
        QCOMPARE(verified.out, fileLines.join(u'\n') + u'\n');
        QCOMPARE(fileLines.first(), lineOf(out + "/B01ABC000008805", "B01", 3).chopped(1));
    }
};

QTEST_MAIN(TestVerifyCli)
#include "tst_verify_cli.moc"
