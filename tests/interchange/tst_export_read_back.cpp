#include "common/whole_file_writer.h"
#include "tests/interchange/import_fixture.h"

#include <QCryptographicHash>

// The export reads each file back from the disk before it takes its name, and
// names each file written with its records and SHA-256 fingerprint.
class TestExportReadBack : public ImportFixture
{
    Q_OBJECT

    QList<ExportEngine::Message> m_messages;

    ExportEngine::Request request(const QList<Kind::Id> &ids, int year = 88)
    {
        m_messages.clear();
        ExportEngine::Request r;
        r.period = Period{year, 5};
        for (Kind::Id id : ids)
            r.kinds.append(&kindOf(id));
        r.directory = m_out->path();
        r.institutionCode = QStringLiteral("ABC");
        r.confirmOverwrite = [](const QString &) { return true; };
        r.report = [this](const ExportEngine::Message &m) { m_messages.append(m); };
        return r;
    }
    QStringList texts() const
    {
        QStringList t;
        for (const auto &m : m_messages)
            t << m.text;
        return t;
    }
    static QString sha256(const QByteArray &bytes)
    {
        return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    }

    // The B01 lines of the fixture's month, as the export writes them.
    static QList<QByteArray> b01Lines()
    {
        return {b01("08805", "ABC0000", "11000", "1234.5"), b01("08805", "ABC0000", "11500", "-0.5"),
                b01("08805", "ABC0000", "1234p", "12345")};
    }

private slots:
    void init() { setUp(); }

    void differingReadBackLeavesNoFile_data()
    {
        QTest::addColumn<int>("line");            // 1-based; 0: anywhere in the file
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<bool>("older");          // an older file of the name is there
        QTest::addColumn<QString>("detail");      // empty: it reads back as written
        const QList<QByteArray> l = b01Lines();
        QTest::newRow("as written") << 0 << QByteArray() << QByteArray() << true << "";
        QTest::newRow("amount one digit off") << 1 << QByteArray("1234.5") << QByteArray("1234.6") << true
                                              << "第 1 行 AMT 欄位: 讀回「1234.6」, 資料為「1234.5」";
        QTest::newRow("account changed") << 2 << QByteArray("11500") << QByteArray("11501") << false
                                         << "第 2 行 ACC_CODE 欄位";
        QTest::newRow("thousands mark lost") << 3 << QByteArray("1234p") << QByteArray("12340") << true
                                             << "第 3 行 ACC_CODE 欄位";
        QTest::newRow("not a number") << 2 << QByteArray("-0.5") << QByteArray("-0x5") << false
                                      << "第 2 行 AMT 欄位";
        QTest::newRow("another month") << 1 << QByteArray("08805") << QByteArray("08806") << true
                                       << "第 1 行 M_MONTH 欄位";
        QTest::newRow("institution blanked") << 2 << QByteArray("ABC0000") << QByteArray(7, ' ') << false
                                             << "第 2 行: 匯入時不會讀取這一行";
        QTest::newRow("cut short in a line") << 0 << QByteArray("2345\r\n") << QByteArray() << true << "第 3 行";
        QTest::newRow("last line lost") << 0 << l[2] + "\r\n" << QByteArray() << false << "讀回 2 行, 資料有 3 筆";
        QTest::newRow("a line added") << 3 << QByteArray("\r\n")
                                      << "\r\n" + b01("08805", "ABC0000", "21000", "1") + "\r\n" << true
                                      << "讀回 4 行, 資料有 3 筆";
        // Nothing the reading looks at: only the bytes tell.
        QTest::newRow("line end changed") << 1 << QByteArray("\r\n") << QByteArray("\n") << true
                                          << "第 1 行: 第 32 個位元組與寫入的不同";
    }

    // The written temporary is altered before it is read back, as a medium that
    // does not keep what it was given would: the kind fails with its message
    // naming the line, nothing takes the name, an older file stays byte for
    // byte, and the kinds after it are not processed.
    void differingReadBackLeavesNoFile()
    {
        QFETCH(int, line);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(bool, older);
        QFETCH(QString, detail);
        const QString entry = m_out->filePath("B01ABC000008805");
        const QByteArray olderBytes("older B01\r\n");
        if (older)
            writeFile("B01ABC000008805", olderBytes);

        ExportEngine::Request r = request({Kind::B01, Kind::B03});
        QString readBackOf;
        QByteArray underTheName;
        r.beforeReadBack = [&](const QString &written) {
            if (!written.contains(QStringLiteral("/B01")))
                return;   // B03, after B01 was written as it is
            readBackOf = written;
            underTheName = bytesOf(entry);
            QByteArray bytes = bytesOf(written);
            qsizetype start = 0;
            for (int n = 1; n < line; ++n)
                start = bytes.indexOf('\n', start) + 1;
            const qsizetype end = line == 0 ? bytes.size() : bytes.indexOf('\n', start) + 1;
            QByteArray part = bytes.mid(start, end - start);
            bytes.replace(start, end - start, part.replace(from, to));
            QFile f(written);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
        };
        const ExportEngine::Result result = ExportEngine::run(r);

        // Read back from the temporary, while the name still held what it held.
        QCOMPARE(readBackOf, WholeFileWriter::temporaryPath(entry));
        QCOMPARE(underTheName, older ? olderBytes : QByteArray("<missing>"));
        if (detail.isEmpty()) {
            QCOMPARE(result.of(kindOf(Kind::B01)).outcome, ExportEngine::Outcome::Written);
            QCOMPARE(bytesOf(entry), crlf(b01Lines()));
            return;
        }
        QCOMPARE(result.of(kindOf(Kind::B01)).outcome, ExportEngine::Outcome::Failed);
        QCOMPARE(result.of(kindOf(Kind::B03)).outcome, ExportEngine::Outcome::NotProcessed);
        QVERIFY(result.of(kindOf(Kind::B01)).fingerprint.isEmpty());
        QCOMPARE(texts(), QStringList{"營運資料匯出失敗!!!"});
        const QString said = m_messages.first().detail;
        QVERIFY2(said.startsWith(entry + ": 讀回") && said.contains(detail), qPrintable(said));
        QCOMPARE(folderListing(), older ? QStringList{"B01ABC000008805"} : QStringList());
        if (older)
            QCOMPARE(bytesOf(entry), olderBytes);
    }

    void storedValuesReadBack_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("detail");   // empty: written
        // What the format takes as the same value is no difference.
        QTest::newRow("amount beyond four decimals")
            << "update MPBANK set AMT = 0.12345 where ACC_CODE = '11000'" << int(Kind::B01) << 88 << "";
        QTest::newRow("no amount") << "update MPBANK set AMT = NULL where ACC_CODE = '11500'" << int(Kind::B01) << 88 << "";
        QTest::newRow("account shorter than its field")
            << "update MPBANK set ACC_CODE = '1100' where ACC_CODE = '11000'" << int(Kind::B01) << 88 << "";
        QTest::newRow("codes with trailing blanks")
            << "update MPBANK set BANK_CODE = 'ABC  ', ACC_CODE = ACC_CODE || ' '" << int(Kind::B01) << 88 << "";
        QTest::newRow("head office code in full") << "update EM03 set BANK_CODE = 'ABC0000'" << int(Kind::B02) << 88 << "";
        QTest::newRow("flag with a trailing blank")
            << "update EM08 set FLAG1 = FLAG1 || ' '" << int(Kind::B03) << 88 << "";
        // What the import would not read back as stored is not written.
        QTest::newRow("year 0") << "update MPBANK set M_YEAR = 0 where M_MONTH = 5" << int(Kind::B01) << 0
                                << "第 1 行 M_YEAR 欄位";
        // "ABC0000" is written as "ABC" is: the import keeps the first of the two.
        QTest::newRow("institution written twice")
            << "insert into MPBANK (M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL) "
               "values (88, 5, 'ABC0000', '11000', 5, 4)" << int(Kind::B01) << 88 << "第 4 行: 匯入時不會讀取這一行";
    }

    // Stored values that the file holds as they are pass; a row the import
    // would not give back as stored (it refuses it, or skips it as a repeat)
    // fails its kind and leaves no file.
    void storedValuesReadBack()
    {
        QFETCH(QString, change);
        QFETCH(int, kind);
        QFETCH(int, year);
        QFETCH(QString, detail);
        QVERIFY(m_db->exec(change));
        const Kind &k = kindOf(Kind::Id(kind));
        const ExportEngine::Result result = ExportEngine::run(request({k.id()}, year));
        if (detail.isEmpty()) {
            QVERIFY2(!result.failed, qPrintable(texts().join(u' ') + u' ' + m_messages.value(0).detail));
            QCOMPARE(result.of(k).outcome, ExportEngine::Outcome::Written);
            return;
        }
        QCOMPARE(result.of(k).outcome, ExportEngine::Outcome::Failed);
        QCOMPARE(texts(), QStringList{k.writingFailedMessage()});
        QVERIFY2(m_messages.first().detail.contains(detail), qPrintable(m_messages.first().detail));
        QCOMPARE(folderListing(), QStringList());
    }

    // The fingerprint is the SHA-256 of the file as it lies on the disk, and the
    // completion message names every file with its records and fingerprint.
    void completionNamesEachFileWithRecordsAndFingerprint()
    {
        const ExportEngine::Result result = ExportEngine::run(request({Kind::B05, Kind::B01, Kind::B02}));
        QCOMPARE(texts(), QStringList{"匯出作業完成!!!"});
        QStringList expected;
        for (const Kind *k : Kind::exportOrder()) {
            const ExportEngine::KindResult written = result.of(*k);
            if (written.outcome != ExportEngine::Outcome::Written)
                continue;
            QCOMPARE(written.fingerprint, sha256(bytesOf(written.entryPath)));
            expected << QStringLiteral("%1  %2 筆  SHA-256 %3").arg(written.entryPath).arg(written.lines)
                            .arg(written.fingerprint);
        }
        QCOMPARE(expected.size(), 3);
        QCOMPARE(m_messages.first().detail, expected.join(u'\n'));
        // As sha256sum prints it for the B01 lines.
        QCOMPARE(result.of(kindOf(Kind::B01)).fingerprint,
                 QStringLiteral("dd3a32f9b58e8efb4b490ca9386f44911709274be43d6378f0bc0c60872916c2"));
        QCOMPARE(result.of(kindOf(Kind::B01)).lines, 3);
        QCOMPARE(result.of(kindOf(Kind::B05)).lines, 3);
    }
};

QTEST_MAIN(TestExportReadBack)
#include "tst_export_read_back.moc"
