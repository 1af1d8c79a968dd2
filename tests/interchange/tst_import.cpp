#include "tests/interchange/import_fixture.h"
#include "tests/support/cli_process.h"
#include "db/engine_message.h"
#include "db/month_claim.h"
#include "db/write_transaction.h"

// The import engine and velq8-cli import.
class TestImport : public ImportFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }

    // Export of a month, then import of its files: the stored rows come back
    // exactly, through both paths (month stored and replaced with Yes, month
    // not stored), with their look-up texts, and the files stay as they were.
    void exportThenImportEveryKind()
    {
        const QHash<int, QString> files = exportMonth();
        QCOMPARE(files.size(), 5);
        QCOMPARE(QFileInfo(files.value(Kind::B01)).fileName(), QStringLiteral("B01ABC000008805"));
        const QStringList listing = folderListing();
        const QStringList otherMonth = monthRows("MPBANK", 88, 4);

        for (const Kind *kind : Kind::all()) {
            const QString table = kind->table();
            const QStringList expected = monthRows(table, 88, 5);
            const QString path = files.value(kind->id());
            const QByteArray bytes = bytesOf(path);
            // B01 and B05 replace a changed month, the others fill an empty one.
            const bool replace = kind->id() == Kind::B01 || kind->id() == Kind::B05;
            if (replace) {
                QVERIFY(m_db->exec(QStringLiteral("update %1 set AMT = 999 where M_YEAR = 88 and M_MONTH = 5")
                                       .arg(table)));
            } else {
                QVERIFY(m_db->exec(QStringLiteral("delete from %1 where M_YEAR = 88 and M_MONTH = 5").arg(table)));
            }

            CachedDataset target;
            int asked = 0;
            const auto result = runImport(path, kind->id(), target, true, &asked);
            QVERIFY2(result.ok(), qPrintable(kind->code() + u' ' + result.detail));
            QCOMPARE(asked, replace ? 1 : 0);
            QCOMPARE(result.replaced, replace);
            QCOMPARE(result.bankCode, QStringLiteral("ABC"));
            QCOMPARE(monthRows(table, 88, 5), expected);
            QCOMPARE(target.recordCount(), expected.size());
            QVERIFY(!target.hasPendingUpdates());
            QCOMPARE(bytesOf(path), bytes);
            QCOMPARE(folderListing(), listing);
        }
        QCOMPARE(monthRows("MPBANK", 88, 4), otherMonth);
    }

    // The texts the tab shows come with the rows: account, institution,
    // county names and flag labels.
    void lookupTextsOfEveryKind()
    {
        const QHash<int, QString> files = exportMonth();
        for (const Kind *kind : Kind::all())
            QVERIFY(m_db->exec(QStringLiteral("delete from %1").arg(kind->table())));

        // Per kind: the row found by its key, and "field=text" as the tab shows it.
        const QList<std::tuple<Kind::Id, QStringList, QVariantList, QStringList>> expected{
            {Kind::B01, {"ACC_CODE"}, {"1234p"}, {"ACCNAME=1234p  逾放比率", "AMT=12.345", "SERIAL=3"}},
            {Kind::B02, {"BANK_CODE1"}, {"ABC0022"}, {"BANK_NAME=ABC0022  第二分行"}},
            {Kind::B03, {"FLAG1"}, {"2"}, {"MFLAG1=2-次級市場", "MFLAG2=5-十二個月期", "MFLAG3=09-金融俵券", "MFLAG4=3-最低"}},
            {Kind::B04, {"FLAG1"}, {"0"}, {"MFLAG1=0-初級市場", "MFLAG2=0-買入", "MFLAG3=01-商業本票", "AMT1=123456.5"}},
            {Kind::B05, {"HSIEN_ID", "ACC_CODE"}, {"A", "H0002"},
             {"HSIENNAME=A  臺北市", "ACCNAME=H0002  放款", "AMT=200.25"}},
        };
        for (const auto &[id, keyFields, key, texts] : expected) {
            CachedDataset target;
            QVERIFY(runImport(files.value(id), id, target).ok());
            QVERIFY(target.locate(keyFields, key));
            QStringList shown;
            for (const QString &text : texts)
                shown << text.section(u'=', 0, 0) + u'=' + target.value(text.section(u'=', 0, 0)).toString();
            QCOMPARE(shown, texts);
        }
        // Flag numbers a list does not hold leave the text empty: see the
        // registry's test of the bills codes.
    }

    // The name decides the month; a file whose lines say another month is
    // refused and nothing changes, neither table nor file nor target.
    void nameAndDataDisagree()
    {
        const QString exported = exportMonth().value(Kind::B01);
        const QString path = writeFile(QStringLiteral("B01ABC000008806"), bytesOf(exported));
        const QByteArray bytes = bytesOf(path);
        const QStringList before = dump("MPBANK");
        const QStringList listing = folderListing();
        CachedDataset target;
        target.setSql("select * from MPBANK where M_MONTH = 4");
        QVERIFY(target.open());

        int asked = 0;
        auto result = runImport(path, Kind::B01, target, true, &asked);
        QCOMPARE(result.status, Status::MonthMismatch);
        QCOMPARE(result.lineNo, 1);
        QCOMPARE(asked, 0);
        QCOMPARE(dump("MPBANK"), before);
        QCOMPARE(bytesOf(path), bytes);
        QCOMPARE(folderListing(), listing);
        QCOMPARE(target.recordCount(), 1);

        // A later line of another month is refused too: it would be written
        // under a month nobody confirmed.
        const QString mixed = writeFile(QStringLiteral("B01ABC000008805.TXT"),
                                        crlf({b01("08805", "ABC0000", "11000", "1"),
                                              b01("08804", "ABC0000", "11500", "2")}));
        result = runImport(mixed, Kind::B01, target, true, &asked);
        QCOMPARE(result.status, Status::MonthMismatch);
        QCOMPARE(result.lineNo, 2);
        QCOMPARE(dump("MPBANK"), before);

        // A name without a period cannot be matched at all.
        const QString odd = writeFile(QStringLiteral("B01ABC.dat"), crlf({b01("08805", "ABC0000", "11000", "1")}));
        QCOMPARE(runImport(odd, Kind::B01, target).status, Status::MonthMismatch);
    }

    // B01 keeps the first line of a repeated account; SERIAL is the line number,
    // counting skipped lines. A blank institution skips its line.
    void repeatedAccountFirstWins()
    {
        QVERIFY(m_db->exec("delete from MPBANK"));
        const QString path = writeFile(QStringLiteral("B01ABC000008805"),
                                       crlf({b01("08805", "ABC0000", "11000", "100"),
                                             b01("08805", "", "11500", "xx"),     // skipped, not read
                                             b01("08805", "ABC0000", "11500", "200"),
                                             b01("08805", "ABC0000", "11000", "999"),
                                             b01("08805", "ABC0000", "1234p", "12345")}));
        CachedDataset target;
        const auto result = runImport(path, Kind::B01, target);
        QVERIFY2(result.ok(), qPrintable(result.detail));
        QCOMPARE(result.rowsRead, 3);
        QCOMPARE(dumpInOrder("MPBANK"), QStringList({"1|88|5|ABC|11000|100|1", "2|88|5|ABC|11500|200|3",
                                              "3|88|5|ABC|1234p|12.345|5"}));
    }

    // B02 to B04 refuse a repeated key: nothing written, the target untouched.
    void repeatedUnitRefused()
    {
        QVERIFY(m_db->exec("delete from EM03"));
        const QString path = writeFile(QStringLiteral("B02ABC000008805"),
                                       crlf({"08805ABC0000ABC001102500", "08805ABC0000ABC002201250",
                                             "08805ABC0000ABC001103000"}));
        CachedDataset target;
        target.setSql("select * from EM03");
        QVERIFY(target.open());
        const auto result = runImport(path, Kind::B02, target);
        QCOMPARE(result.status, Status::FormatError);
        QCOMPARE(result.lineNo, 3);
        QVERIFY2(result.detail.contains(QStringLiteral("第 3 行")), qPrintable(result.detail));
        QCOMPARE(m_db->count("EM03"), 0);
        QCOMPARE(target.sql(), QStringLiteral("select * from EM03"));   // never emptied
        QVERIFY(target.isOpen());
    }

    // A stored month: No keeps it exactly; Yes leaves exactly the file's rows.
    void storedMonthYesAndNo()
    {
        const QString path = writeFile(QStringLiteral("B01ABC000008805"),
                                       crlf({b01("08805", "ABC0000", "11000", "7"),
                                             b01("08805", "ABC0000", "11500", "8")}));
        const QStringList before = dump("MPBANK");
        CachedDataset target;
        int asked = 0;
        auto result = runImport(path, Kind::B01, target, false, &asked);
        QCOMPARE(result.status, Status::Declined);
        QCOMPARE(asked, 1);
        QCOMPARE(result.storedRows, 3);
        QCOMPARE(dump("MPBANK"), before);
        QVERIFY(target.isOpen());
        QCOMPARE(target.recordCount(), 0);
        QVERIFY(!target.hasPendingUpdates());

        result = runImport(path, Kind::B01, target, true, &asked);
        QVERIFY2(result.ok(), qPrintable(result.detail));
        QCOMPARE(asked, 2);
        QVERIFY(result.replaced);
        QCOMPARE(monthRows("MPBANK", 88, 5),
                 QStringList({"M_YEAR=88|M_MONTH=5|BANK_CODE=ABC|ACC_CODE=11000|AMT=7|SERIAL=1",
                              "M_YEAR=88|M_MONTH=5|BANK_CODE=ABC|ACC_CODE=11500|AMT=8|SERIAL=2"}));
        QCOMPARE(m_db->count("MPBANK", "M_MONTH = 4"), 1);
        QCOMPARE(target.recordCount(), 2);
        QVERIFY(!target.hasPendingUpdates());
    }

    // A failure in the middle of a replace leaves the stored month exactly as it
    // was (rows, values, stored order), and the target without the rows read.
    void failureInTheMiddleOfAReplace()
    {
        QVERIFY(refuseInserts(*m_db, "MPBANK", "NEW.ACC_CODE = '11500'"));
        const QString path = writeFile(QStringLiteral("B01ABC000008805"),
                                       crlf({b01("08805", "ABC0000", "11000", "7"),
                                             b01("08805", "ABC0000", "11500", "8"),
                                             b01("08805", "ABC0000", "1234p", "9")}));
        const QStringList before = dump("MPBANK");
        CachedDataset target;
        auto result = runImport(path, Kind::B01, target, true);
        QCOMPARE(result.status, Status::DatabaseError);
        QVERIFY2(result.detail.contains(QStringLiteral("refused by test trigger")), qPrintable(result.detail));
        QCOMPARE(dump("MPBANK"), before);
        QCOMPARE(target.recordCount(), 0);
        QVERIFY(!target.hasPendingUpdates());

        // The connection is usable afterwards: no transaction was left open.
        QVERIFY(m_db->exec("update MPBANK set AMT = 1 where M_MONTH = 4"));
        QVERIFY(m_db->db().transaction());
        QVERIFY(m_db->db().rollback());

        // The same when nothing was stored: no row of the file stays behind.
        QVERIFY(m_db->exec("delete from MPBANK where M_MONTH = 5"));
        result = runImport(path, Kind::B01, target, true);
        QCOMPARE(result.status, Status::DatabaseError);
        QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5"), 0);
    }

    void malformedFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");

        const QByteArray good = b01("08805", "ABC0000", "11000", "100");
        QTest::newRow("empty file") << "B01ABC000008805" << QByteArray() << 0;
        QTest::newRow("only a line end") << "B01ABC000008805" << QByteArray("\r\n") << 1;
        QTest::newRow("short line") << "B01ABC000008805" << crlf({good, good.left(30)}) << 2;
        QTest::newRow("amount not a number")
            << "B01ABC000008805" << crlf({good, b01("08805", "ABC0000", "11500", "12A4")}) << 2;
        QTest::newRow("amount with plus")
            << "B01ABC000008805" << crlf({good, b01("08805", "ABC0000", "11500", "+12")}) << 2;
        QTest::newRow("amount blank")
            << "B01ABC000008805" << crlf({good, good.left(17) + QByteArray(14, ' ')}) << 2;
        QTest::newRow("year out of range") << "B01ABC000000005" << crlf({b01("00005", "ABC0000", "11000", "1")}) << 1;
        QTest::newRow("month out of range") << "B01ABC000008813" << crlf({b01("08813", "ABC0000", "11000", "1")}) << 1;
        QTest::newRow("month not a number") << "B01ABC000008805" << crlf({good, b01("088x5", "ABC0000", "11000", "1")}) << 2;
        QTest::newRow("Big5 in a code")
            << "B01ABC000008805" << crlf({good, b01("08805", "AB\xa4\xa4", "11500", "1")}) << 2;
        QTest::newRow("high byte after the fields") << "B01ABC000008805" << crlf({good, good + "\xb5"}) << 2;
        QTest::newRow("tab in a field") << "B01ABC000008805" << crlf({good, b01("08805", "ABC0000", "11\t00", "1")}) << 2;
        QTest::newRow("CR-only line ends") << "B01ABC000008805" << (good + "\r" + good + "\r") << 1;
        QTest::newRow("blank inside a code") << "B01ABC000008805" << crlf({good, b01("08805", "AB 0000", "11500", "1")}) << 2;
        QTest::newRow("leading blank in an account")
            << "B01ABC000008805" << crlf({good, b01("08805", "ABC0000", " 1150", "1")}) << 2;
        QTest::newRow("blank account") << "B01ABC000008805" << crlf({good, b01("08805", "ABC0000", "     ", "1")}) << 2;
        // Exactly the record: what stands beyond it makes the line another kind's.
        QTest::newRow("line longer than the record") << "B01ABC000008805" << crlf({good, good + "0"}) << 2;
        QTest::newRow("end-of-file mark before the end")
            << "B01ABC000008805" << crlf({good}) + "\x1a" + crlf({good}) << 2;
        // A year or month of 0 is out of range, in a line or in the name (line 0),
        // and said so rather than as a mismatch between them.
        QTest::newRow("year 000 in a line") << "B01ABC000008805" << crlf({b01("00005", "ABC0000", "11000", "1")}) << 1;
        QTest::newRow("year 000 in the name") << "B01ABC000000005" << crlf({good}) << 0;
        QTest::newRow("month 00 in the name") << "B01ABC000008800" << crlf({good}) << 0;
    }

    // Every malformed file ends with the format message and changes nothing.
    void malformedFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        const QString path = writeFile(name, bytes);
        const QStringList before = dump("MPBANK");
        const QStringList listing = folderListing();
        CachedDataset target;
        target.setSql("select * from MPBANK where M_MONTH = 4");
        QVERIFY(target.open());

        int asked = 0;
        const auto result = runImport(path, Kind::B01, target, true, &asked);
        QCOMPARE(result.status, Status::FormatError);
        QCOMPARE(result.lineNo, line);
        QVERIFY(!result.detail.isEmpty());
        QCOMPARE(asked, 0);
        QCOMPARE(dump("MPBANK"), before);
        QCOMPARE(bytesOf(path), bytes);
        QCOMPARE(folderListing(), listing);
        QCOMPARE(target.recordCount(), 1);
        QVERIFY(!target.hasPendingUpdates());
    }

    void lineEndings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray a = b01("08805", "ABC0000", "11000", "7");
        const QByteArray b = b01("08805", "ABC0000", "11500", "8");
        QTest::newRow("CR LF") << crlf({a, b});
        QTest::newRow("LF, the last line without one") << a + "\n" + b;
        // An editor of the DOS days ends a file with the end-of-file mark 0x1A.
        QTest::newRow("end-of-file mark after the last line end") << crlf({a, b}) + "\x1a";
        QTest::newRow("end-of-file mark right after the last line") << crlf({a}) + b + "\x1a";
    }

    // Whatever ends its lines, a file reads as its two records.
    void lineEndings()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(m_db->exec("delete from MPBANK where M_MONTH = 5"));
        CachedDataset target;
        const auto result = runImport(writeFile(QStringLiteral("B01ABC000008805"), bytes), Kind::B01, target);
        QVERIFY2(result.ok(), qPrintable(result.detail));
        QCOMPARE(monthRows("MPBANK", 88, 5),
                 QStringList({"M_YEAR=88|M_MONTH=5|BANK_CODE=ABC|ACC_CODE=11000|AMT=7|SERIAL=1",
                              "M_YEAR=88|M_MONTH=5|BANK_CODE=ABC|ACC_CODE=11500|AMT=8|SERIAL=2"}));
    }

    void fileOfAnotherKind_data()
    {
        QTest::addColumn<int>("fileKind");
        QTest::addColumn<int>("importedAs");
        // Records of 31, 24, 21, 37 and 32 characters: no two kinds share a length.
        QTest::newRow("B01 as B02") << int(Kind::B01) << int(Kind::B02);
        QTest::newRow("B04 as B03") << int(Kind::B04) << int(Kind::B03);
        QTest::newRow("B02 as B01") << int(Kind::B02) << int(Kind::B01);
        QTest::newRow("B05 as B01") << int(Kind::B05) << int(Kind::B01);
        QTest::newRow("B01 as B05") << int(Kind::B01) << int(Kind::B05);
    }

    // A file of one kind imported as another is refused at its first line,
    // even with the answer Yes ready: the stored month stays as it was.
    void fileOfAnotherKind()
    {
        QFETCH(int, fileKind);
        QFETCH(int, importedAs);
        const QString path = exportMonth().value(fileKind);
        const Kind &as = kindOf(Kind::Id(importedAs));
        const QStringList before = dump(as.table());
        CachedDataset target;
        int asked = 0;
        const auto result = runImport(path, as.id(), target, true, &asked);
        QCOMPARE(result.status, Status::FormatError);
        QCOMPARE(result.lineNo, 1);
        QCOMPARE(asked, 0);
        QCOMPARE(dump(as.table()), before);
    }

    void otherInstitutionBeforeTheLastLine_data()
    {
        QTest::addColumn<bool>("firstStored");   // the first lines' institution has the month stored
        QTest::newRow("its month stored") << true;
        QTest::newRow("nothing of it stored") << false;
    }

    // The last line decides whose month is replaced; the rows of an institution
    // named before it are only added. Where that one's month is stored, nothing
    // is written and the refusal names the line, the institution and what to
    // do (the table's key would have refused it in the engine's own words).
    void otherInstitutionBeforeTheLastLine()
    {
        QFETCH(bool, firstStored);
        if (!firstStored)
            QVERIFY(m_db->exec("delete from MPBANK where M_MONTH = 5"));
        const QString path = writeFile(QStringLiteral("B01ABC000008805"),
                                       crlf({b01("08805", "ABC0000", "11000", "7"), b01("08805", "ABC0000", "11500", "8"),
                                             b01("08805", "XYZ0000", "11000", "9")}));
        const QStringList before = dump("MPBANK");
        CachedDataset target;
        int asked = 0;
        const auto result = runImport(path, Kind::B01, target, true, &asked);
        QCOMPARE(asked, 0);
        if (!firstStored) {
            QVERIFY2(result.ok(), qPrintable(result.detail));
            QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5 and BANK_CODE = 'ABC'"), 2);
            QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5 and BANK_CODE = 'XYZ'"), 1);
            return;
        }
        QCOMPARE(result.status, Status::DatabaseError);
        QVERIFY2(result.detail.startsWith(QStringLiteral("第 1 行的機構 ABC 在 88 年 5 月已有資料 3 筆")),
                 qPrintable(result.detail));
        QCOMPARE(dump("MPBANK"), before);
        QVERIFY(!target.hasPendingUpdates());
    }

    void lineNumberLimit_data()
    {
        QTest::addColumn<int>("lastLine");
        QTest::newRow("32767 lines") << 32767;
        QTest::newRow("32768 lines") << 32768;
    }

    // B01 stores the line number as SERIAL, a small integer: the import and
    // verify both refuse a line beyond it, naming the line, where the engine
    // would have refused the insert in its own words.
    void lineNumberLimit()
    {
        QFETCH(int, lastLine);
        QVERIFY(m_db->exec("delete from MPBANK where M_MONTH = 5"));
        // Blank lines between are skipped but counted.
        const QByteArray bytes = crlf({b01("08805", "ABC0000", "11000", "7")}) + QByteArray("\r\n").repeated(lastLine - 2)
                               + crlf({b01("08805", "ABC0000", "11500", "8")});
        const QString path = writeFile(QStringLiteral("B01ABC000008805"), bytes);
        CachedDataset target;
        const auto result = runImport(path, Kind::B01, target);
        const CliProcess verified = velq8({"verify", path});
        if (lastLine <= 32767) {
            QVERIFY2(result.ok(), qPrintable(result.detail));
            QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5 and SERIAL = 32767"), 1);
            QCOMPARE(verified.status, 0);
            return;
        }
        QCOMPARE(result.status, Status::FormatError);
        QCOMPARE(result.lineNo, lastLine);
        QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5"), 0);
        QCOMPARE(verified.status, 2);
        QVERIFY2(verified.err.contains(QStringLiteral("第 32768 行")), qPrintable(verified.err));
    }

    void twoImportsOfOneMonth_data()
    {
        QTest::addColumn<int>("holdMs");      // how long the first writer keeps the month (-1: until the second ends)
        QTest::addColumn<int>("status");
        QTest::newRow("the second waits, then replaces the first's month") << 1500 << 0;
        QTest::newRow("the second gives up after the busy timeout") << -1 << 2;
    }

    // Two imports of one month at once (the first here on the test's
    // connection, the second a velq8-cli process): the second reads the stored
    // month only when the first has committed, so the month ends as one file
    // whole, and it replaces, and reports, what the first wrote; or it fails
    // saying the database is in use, and writes nothing.
    void twoImportsOfOneMonth()
    {
        QFETCH(int, holdMs);
        QFETCH(int, status);
        const QString second = writeFile(QStringLiteral("B01ABC000008805"),
                                         crlf({b01("08805", "ABC0000", "11000", "2"), b01("08805", "ABC0000", "11500", "2")}));
        // The first writer holds the month as an import does: its write
        // transaction, and on a server the month's lock as well.
        auto first = std::make_unique<WriteTransaction>(m_db->db());
        QVERIFY2(first->isActive(), qPrintable(first->error()));
        QString error;
        QVERIFY2(MonthClaim("MPBANK", 88, 5, "ABC", MonthClaim::Purpose::Save).lock(m_db->connectionName(), &error),
                 qPrintable(error));
        QSqlQuery q(m_db->db());
        QProcess cli;
        cli.start(QStringLiteral(VELQ8_CLI), {"--database", m_db->path(), "import", second, "--kind", "B01", "--replace"});
        QVERIFY(cli.waitForStarted());
        // The first import's month: four rows where three were.
        QVERIFY(q.exec("delete from MPBANK where M_MONTH = 5"));
        QVERIFY(q.exec("insert into MPBANK (M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL) values "
                       "(88, 5, 'ABC', '11000', 1, 1), (88, 5, 'ABC', '11500', 1, 2), (88, 5, 'ABC', '1234p', 1, 3), "
                       "(88, 5, 'ABC', '12000', 1, 4)"));
        // Held a while, or (-1) until the second has given up by itself: its
        // start alone may take seconds on a busy machine.
        if (holdMs >= 0)
            QTest::qWait(holdMs);
        else
            QVERIFY(cli.waitForFinished(30000));
        QVERIFY2(first->commit(), qPrintable(first->error()));
        // It may have ended while the first held the database.
        QVERIFY(cli.state() == QProcess::NotRunning || cli.waitForFinished(30000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        QCOMPARE(cli.exitCode(), status);
        if (status == 0) {
            QVERIFY2(out.contains(QStringLiteral("取代原有 4 筆")), qPrintable(out));
            QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5"), 2);
            QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5 and AMT = 2"), 2);
        } else {
            // SQLite's writer holds the whole file; the server's the month.
            const QString inUse = TestDatabase::onServer() ? EngineMessage::monthInUse() : EngineMessage::busy();
            QVERIFY2(err.contains(inUse), qPrintable(err));
            // Only the program's own words: no driver warning before them.
            QCOMPARE(err.split(u'\n', Qt::SkipEmptyParts), QStringList({inUse}));
            QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5 and AMT = 1"), 4);
        }
    }

    // The user's file is read where it is and nothing is written beside it (an
    // import that is killed leaves nothing there): a ".TXT" file stays, a schema
    // of the same name that is already there is neither used nor touched.
    void fileIsReadWhereItIs()
    {
        QVERIFY(m_db->exec("delete from MPBANK"));
        const QByteArray bytes = crlf({b01("08805", "ABC0000", "11000", "5")});
        CachedDataset target;

        const QString txt = writeFile(QStringLiteral("B01ABC000008805.TXT"), bytes);
        auto result = runImport(txt, Kind::B01, target, true);
        QVERIFY2(result.ok(), qPrintable(result.detail));
        QCOMPARE(folderListing(), QStringList({"B01ABC000008805.TXT"}));
        QCOMPARE(bytesOf(txt), bytes);

        // Someone's own .SCH beside the file.
        const QByteArray foreign("not a schema of ours\r\n");
        const QString sch = writeFile(QStringLiteral("B01ABC000008805.SCH"), foreign);
        result = runImport(txt, Kind::B01, target, true);
        QVERIFY2(result.ok(), qPrintable(result.detail));
        QCOMPARE(bytesOf(sch), foreign);
        QCOMPARE(folderListing(), QStringList({"B01ABC000008805.SCH", "B01ABC000008805.TXT"}));
        QVERIFY(QFile::remove(sch));

        // A data file that itself carries the schema's name is never taken for one.
        const QString named = writeFile(QStringLiteral("B01ABC000008805.SCH"), bytes);
        result = runImport(named, Kind::B01, target, true);
        QVERIFY2(result.ok(), qPrintable(result.detail));
        QCOMPARE(bytesOf(named), bytes);
        QVERIFY(QFile::remove(named));
        QCOMPARE(m_db->count("MPBANK"), 1);

        // Another extension is read under its own name too.
        const QString lower = writeFile(QStringLiteral("B01ABC000008805.txt"), bytes);
        QVERIFY(runImport(lower, Kind::B01, target, true).ok());
        QVERIFY(QFile::exists(lower));
        QCOMPARE(folderListing(), QStringList({"B01ABC000008805.TXT", "B01ABC000008805.txt"}));

        // A missing file is reported, nothing else happens.
        result = runImport(m_out->filePath("missing"), Kind::B01, target, true);
        QCOMPARE(result.status, Status::OpenFailed);
        result = runImport(QString(), Kind::B01, target, true);
        QCOMPARE(result.status, Status::OpenFailed);
    }

    // Without a callback to ask, a stored month is kept, for every kind: the
    // default answer is No. The rows read are dropped and nothing is written,
    // neither to the table nor beside the file.
    void storedMonthWithoutCallbackIsKept_data()
    {
        QTest::addColumn<int>("kind");
        for (const Kind *k : Kind::all())
            QTest::newRow(qPrintable(k->code())) << int(k->id());
    }

    void storedMonthWithoutCallbackIsKept()
    {
        QFETCH(int, kind);
        const Kind &k = kindOf(Kind::Id(kind));
        const QString path = exportMonth().value(kind);
        QVERIFY(!path.isEmpty());
        const QStringList before = dump(k.table());
        const QStringList listing = folderListing();
        CachedDataset target;
        const auto result = runImport(path, k.id(), target);
        QCOMPARE(result.status, Status::Declined);
        QVERIFY(result.storedRows > 0);
        QVERIFY(!result.replaced);
        QCOMPARE(dump(k.table()), before);
        QVERIFY(target.isOpen());
        QCOMPARE(target.recordCount(), 0);
        QVERIFY(!target.hasPendingUpdates());
        QCOMPARE(folderListing(), listing);
    }

    // velq8-cli import: 1 without --replace on a stored month, 0 with it, 2 on
    // a format error naming the line.
    void commandLine()
    {
        const QString path = writeFile(QStringLiteral("B01ABC000008805"),
                                       crlf({b01("08805", "ABC0000", "11000", "7")}));
        const QStringList before = dump("MPBANK");
        auto cli = [&](const QStringList &args) { return velq8(m_db->path(), QStringList{"import"} + args); };
        CliProcess run;
        QCOMPARE((run = cli({path, "--kind", "B01"})).status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("資料已存在是否確定修改!!!")), qPrintable(run.err));
        QCOMPARE(dump("MPBANK"), before);

        QCOMPARE((run = cli({path, "--kind", "B01", "--replace"})).status, 0);
        QVERIFY2(run.out.contains(QStringLiteral("匯入作業完成!!!")), qPrintable(run.out + run.err));
        QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5"), 1);

        const QString bad = writeFile(QStringLiteral("B01ABC000008804"),
                                      crlf({b01("08804", "ABC0000", "11000", "7"), b01("08804", "ABC0000", "11500", "x")}));
        QCOMPARE((run = cli({bad, "--kind", "B01", "--replace"})).status, 2);
        QVERIFY2(run.err.contains(QStringLiteral("檔案格式有誤,請查明 !!!")) && run.err.contains(QStringLiteral("第 2 行")),
                 qPrintable(run.err));
        QCOMPARE(m_db->count("MPBANK", "M_MONTH = 4"), 1);
        QCOMPARE(cli({bad, "--kind", "B09"}).status, 2);
    }
};

QTEST_MAIN(TestImport)
#include "tst_import.moc"
