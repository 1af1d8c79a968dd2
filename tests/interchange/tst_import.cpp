#include "ui/messages.h"
#include "db/cached_dataset.h"
#include "db/table_cursor.h"
#include "interchange/declaration_format.h"
#include "db/declaration_kind.h"
#include "interchange/export_engine.h"
#include "interchange/ui/import_dialog.h"
#include "interchange/import_engine.h"
#include "interchange/record_reader.h"
#include "interchange/record_writer.h"
#include "tests/support/fake_shell.h"
#include "tests/support/test_database.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <optional>

namespace {

using Kind = DeclarationKind;
using Status = ImportEngine::Status;

const Kind &kindOf(Kind::Id id) { return Kind::get(id); }

// The shared fake shell as the import tests want it: a fixed institution, and
// not in browse mode, so the import's setting of the mode shows.
struct ImportShell : FakeShell
{
    ImportShell()
    {
        bankCode = QStringLiteral("ABC");
        bankName = QStringLiteral("範例銀行");
        mode = EditMode::Modify;
        todayValue = QDate(1999, 5, 15);
        open();
    }
};

QByteArray crlf(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &l : lines)
        out += l + "\r\n";
    return out;
}

// A B01 line: year, month, institution, account, amount text (right-aligned).
QByteArray b01(const char *period, const char *bank, const char *account, const char *amount)
{
    return QByteArray(period) + QByteArray(bank).leftJustified(7, ' ') + QByteArray(account)
         + QByteArray(amount).rightJustified(14, '0');
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir->filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    static QByteArray bytesOf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList folderListing() const
    {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    // Every row of a table in stored order, with its rowid: "exactly as it was".
    QStringList dump(const QString &table)
    {
        QStringList rows;
        QSqlQuery q(m_db->db());
        if (!q.exec(QStringLiteral("select rowid, * from %1 order by rowid").arg(table)))
            return {QStringLiteral("<query failed>")};
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                values << q.value(i).toString();
            rows << values.join(u'|');
        }
        return rows;
    }
    // The rows of a month, without rowid, sorted: what is stored, not where.
    QStringList monthRows(const QString &table, int year, int month)
    {
        QStringList rows;
        QSqlQuery q(m_db->db());
        q.exec(QStringLiteral("select * from %1 where M_YEAR = %2 and M_MONTH = %3").arg(table).arg(year).arg(month));
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                values << q.record().fieldName(i) + u'=' + q.value(i).toString();
            rows << values.join(u'|');
        }
        rows.sort();
        return rows;
    }

    // Without an answer no callback is given: the engine's default decides.
    ImportEngine::Result runImport(const QString &path, Kind::Id id, CachedDataset &target,
                                   std::optional<bool> answer = {}, int *asked = nullptr)
    {
        ImportEngine::Request request;
        request.file = path;
        request.kind = &kindOf(id);
        request.target = &target;
        if (answer) {
            request.confirmReplace = [=] {
                if (asked)
                    ++*asked;
                return *answer;
            };
        }
        return ImportEngine::run(request);
    }

    bool insert(const QString &table, const QVariantMap &row) { return m_db->insertRow(table, row); }

    void fillFixture()
    {
        const auto ok = [&](bool b) {
            if (!b)
                qFatal("fixture: %s", qPrintable(m_db->lastError()));
        };
        ok(insert("BN01", {{"BANK_NO", "ABC"}, {"BANK_NAME", "範例銀行"}}));
        ok(insert("BN01", {{"BANK_NO", "ABC0011"}, {"BANK_NAME", "第一分行"}}));
        ok(insert("BN01", {{"BANK_NO", "ABC0022"}, {"BANK_NAME", "第二分行"}}));
        ok(insert("CACNO", {{"ACC_CODE", "11000"}, {"ACC_NAME", "現金"}}));
        ok(insert("CACNO", {{"ACC_CODE", "11500"}, {"ACC_NAME", "存放央行"}}));
        ok(insert("CACNO", {{"ACC_CODE", "1234p"}, {"ACC_NAME", "逾放比率"}}));
        ok(insert("CD01", {{"HSIEN_ID", "A"}, {"HSIEN_NAME", "臺北市"}}));
        ok(insert("CD01", {{"HSIEN_ID", "B"}, {"HSIEN_NAME", "臺中市"}}));
        ok(insert("HCACNO", {{"ACC_CODE", "H0001"}, {"ACC_NAME", "存款"}}));
        ok(insert("HCACNO", {{"ACC_CODE", "H0002"}, {"ACC_NAME", "放款"}}));

        auto mp = [&](int month, const char *acc, double amt, int serial) {
            ok(insert("MPBANK", {{"M_YEAR", 88}, {"M_MONTH", month}, {"BANK_CODE", "ABC"}, {"ACC_CODE", acc},
                                 {"AMT", amt}, {"SERIAL", serial}}));
        };
        mp(5, "11000", 1234.5, 1);
        mp(5, "11500", -0.5, 2);
        mp(5, "1234p", 12.345, 3);
        mp(4, "11000", 1.0, 1);   // another month: never touched
        ok(insert("EM03", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"BANK_CODE1", "ABC0011"}, {"M_RATE", 2.5}}));
        ok(insert("EM03", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"BANK_CODE1", "ABC0022"}, {"M_RATE", 1.25}}));
        ok(insert("EM08", {{"BANK_CODE", "ABC"}, {"M_YEAR", 88}, {"M_MONTH", 5}, {"FLAG1", "1"}, {"FLAG2", "1"},
                           {"FLAG3", "01"}, {"FLAG4", "1"}, {"RATE", 2.5}}));
        ok(insert("EM08", {{"BANK_CODE", "ABC"}, {"M_YEAR", 88}, {"M_MONTH", 5}, {"FLAG1", "2"}, {"FLAG2", "5"},
                           {"FLAG3", "09"}, {"FLAG4", "3"}, {"RATE", 1.75}}));
        ok(insert("EM09", {{"BANK_CODE", "ABC"}, {"M_YEAR", 88}, {"M_MONTH", 5}, {"FLAG1", "0"}, {"FLAG2", "0"},
                           {"FLAG3", "01"}, {"AMT", 3.0}, {"AMT1", 123456.5}}));
        ok(insert("EM09", {{"BANK_CODE", "ABC"}, {"M_YEAR", 88}, {"M_MONTH", 5}, {"FLAG1", "3"}, {"FLAG2", "2"},
                           {"FLAG3", "10"}, {"AMT", 7.0}, {"AMT1", -5.0}}));
        auto hm = [&](const char *county, const char *acc, double amt) {
            ok(insert("HMPBANK", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"HSIEN_ID", county},
                                  {"ACC_CODE", acc}, {"AMT", amt}}));
        };
        hm("A", "H0001", 100.0);
        hm("A", "H0002", 200.25);
        hm("B", "H0001", -3.0);
    }

    // Exports 88/5 of every kind into the test folder; the paths by kind.
    QHash<int, QString> exportMonth()
    {
        ExportEngine::Request request;
        request.period = Period{88, 5};
        request.kinds = Kind::all();
        request.directory = m_dir->path();
        request.institutionCode = QStringLiteral("ABC");
        request.confirmOverwrite = [](const QString &) { return true; };
        request.report = [](const ExportEngine::Message &) {};
        const ExportEngine::Result result = ExportEngine::run(request);
        QHash<int, QString> paths;
        for (const Kind *k : Kind::all()) {
            const auto r = result.of(*k);
            if (r.outcome == ExportEngine::Outcome::Written)
                paths.insert(k->id(), r.entryPath);
        }
        return paths;
    }

private slots:
    void init()
    {
        m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Empty);
        QVERIFY2(m_db->isValid(), qPrintable(m_db->lastError()));
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        fillFixture();
    }
    void cleanup()
    {
        m_dir.reset();
        m_db.reset();
    }

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

        CachedDataset t1, t2, t3, t4, t5;
        QVERIFY(runImport(files.value(Kind::B01), Kind::B01, t1).ok());
        QVERIFY(t1.locate({"ACC_CODE"}, {"1234p"}));
        QCOMPARE(t1.value("ACCNAME").toString(), QStringLiteral("1234p  逾放比率"));
        QCOMPARE(t1.value("AMT").toDouble(), 12.345);
        QCOMPARE(t1.value("SERIAL").toInt(), 3);

        QVERIFY(runImport(files.value(Kind::B02), Kind::B02, t2).ok());
        QVERIFY(t2.locate({"BANK_CODE1"}, {"ABC0022"}));
        QCOMPARE(t2.value("BANK_NAME").toString(), QStringLiteral("ABC0022  第二分行"));

        QVERIFY(runImport(files.value(Kind::B03), Kind::B03, t3).ok());
        QVERIFY(t3.locate({"FLAG1"}, {"2"}));
        QCOMPARE(t3.value("MFLAG1").toString(), QStringLiteral("2-次級市場"));
        QCOMPARE(t3.value("MFLAG2").toString(), QStringLiteral("5-十二個月期"));
        QCOMPARE(t3.value("MFLAG3").toString(), QStringLiteral("09-金融俵券"));
        QCOMPARE(t3.value("MFLAG4").toString(), QStringLiteral("3-最低"));

        QVERIFY(runImport(files.value(Kind::B04), Kind::B04, t4).ok());
        QVERIFY(t4.locate({"FLAG1"}, {"0"}));
        QCOMPARE(t4.value("MFLAG1").toString(), QStringLiteral("0-初級市場"));
        QCOMPARE(t4.value("MFLAG2").toString(), QStringLiteral("0-買入"));
        QCOMPARE(t4.value("MFLAG3").toString(), QStringLiteral("01-商業本票"));
        QCOMPARE(t4.value("AMT1").toDouble(), 123456.5);

        QVERIFY(runImport(files.value(Kind::B05), Kind::B05, t5).ok());
        QVERIFY(t5.locate({"HSIEN_ID", "ACC_CODE"}, {"A", "H0002"}));
        QCOMPARE(t5.value("HSIENNAME").toString(), QStringLiteral("A  臺北市"));
        QCOMPARE(t5.value("ACCNAME").toString(), QStringLiteral("H0002  放款"));
        QCOMPARE(t5.value("AMT").toDouble(), 200.25);
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
        QCOMPARE(dump("MPBANK"), QStringList({"1|88|5|ABC|11000|100|1", "2|88|5|ABC|11500|200|3",
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
        QVERIFY(m_db->exec("create trigger refuse_11500 before insert on MPBANK when NEW.ACC_CODE = '11500' "
                           "begin select raise(abort, 'refused by test trigger'); end"));
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
        result = runImport(m_dir->filePath("missing"), Kind::B01, target, true);
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

    // The dialog, as the operating data tab opens it: Yes on a stored month,
    // the messages in order, the outcome the tab acts on, the edit mode.
    void dialogImportsOperatingData()
    {
        ScriptedMessages messages;
        messages.answerNext(true);
        ImportShell shell;
        CachedDataset qryMPBANK;
        const QString path = writeFile(QStringLiteral("B01ABC000008805"),
                                       crlf({b01("08805", "ABC0000", "11000", "7"),
                                             b01("08805", "ABC0000", "11500", "8")}));
        TfmENTERY dialog(DeclarationKind::B01, qryMPBANK, shell);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("匯入作業"));
        QVERIFY(dialog.windowState() & Qt::WindowMaximized);
        QCOMPARE(shell.importKind(), DeclarationKind::B01);
        QVERIFY(!shell.importInProgress());   // kind 1 sets no mark
        QList<TfmENTERY::Outcome> applied;
        int messagesAtApply = -1;
        dialog.setAppliedHandler([&](TfmENTERY::Outcome o) {
            applied << o;
            messagesAtApply = int(messages.records().size());
        });
        dialog.show();
        dialog.setFilePath(path);
        QCOMPARE(QDir::fromNativeSeparators(dialog.findChild<QLineEdit *>("edtFILENAME")->text()), path);
        QTest::mouseClick(dialog.findChild<QPushButton *>("sbOK"), Qt::LeftButton);

        QCOMPARE(messages.texts(), QStringList({"資料已存在是否確定修改!!!", "匯入作業完成!!!"}));
        QVERIFY(messages.records().at(0).isQuestion);
        QCOMPARE(messages.records().at(1).icon, Messages::Icon::Information);
        QCOMPARE(applied, QList<TfmENTERY::Outcome>{TfmENTERY::Outcome::Imported});
        QCOMPARE(messagesAtApply, 1);   // buttons set before the completion message
        QCOMPARE(dialog.outcome(), TfmENTERY::Outcome::Imported);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(shell.editMode(), EditMode::Browse);
        QCOMPARE(qryMPBANK.recordCount(), 2);
        QVERIFY(qryMPBANK.locate({"ACC_CODE"}, {"11500"}));
        QCOMPARE(qryMPBANK.value("ACCNAME").toString(), QStringLiteral("11500  存放央行"));
        QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5"), 2);
    }

    // Enter in the directory field goes to that directory and imports nothing;
    // Enter in the file name field imports the named file.
    void dialogKeyboard()
    {
        ScriptedMessages messages;
        messages.answerNext(true);
        ImportShell shell;
        CachedDataset qryMPBANK;
        const QString path = writeFile(QStringLiteral("B01ABC000008805"),
                                       crlf({b01("08805", "ABC0000", "11000", "7")}));
        TfmENTERY dialog(DeclarationKind::B01, qryMPBANK, shell);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *directory = dialog.findChild<QLineEdit *>("edtDIRECT");
        directory->setFocus();
        directory->setText(m_dir->path());
        QTest::keyClick(directory, Qt::Key_Return);
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(QDir(dialog.directory()).canonicalPath(), QDir(m_dir->path()).canonicalPath());
        QVERIFY(dialog.isVisible());

        auto *name = dialog.findChild<QLineEdit *>("edtFILENAME");
        name->setFocus();
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(messages.texts(), QStringList({"資料已存在是否確定修改!!!", "匯入作業完成!!!"}));
        QCOMPARE(dialog.outcome(), TfmENTERY::Outcome::Imported);
    }

    // A file of blank institutions: nothing stored, nothing added; the tab's
    // buttons go off and both messages show, the empty one first.
    void dialogFileOfBlankInstitutions()
    {
        ScriptedMessages messages;
        ImportShell shell;
        CachedDataset qryMPBANK;
        const QString path = writeFile(QStringLiteral("B01ABC000008805"),
                                       crlf({b01("08805", "", "11000", "7"), b01("08805", "", "11500", "8")}));
        TfmENTERY dialog(DeclarationKind::B01, qryMPBANK, shell);
        QList<TfmENTERY::Outcome> applied;
        dialog.setAppliedHandler([&](TfmENTERY::Outcome o) { applied << o; });
        dialog.show();
        dialog.setFilePath(path);
        QTest::mouseClick(dialog.findChild<QPushButton *>("sbOK"), Qt::LeftButton);

        QCOMPARE(messages.texts(), QStringList({"查無任何符合資料!!!", "匯入作業完成!!!"}));
        QCOMPARE(messages.records().at(0).icon, Messages::Icon::Warning);
        QCOMPARE(messages.records().at(0).caption, QStringLiteral("Velqora"));
        QCOMPARE(applied, QList<TfmENTERY::Outcome>{TfmENTERY::Outcome::ImportedEmpty});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(qryMPBANK.recordCount(), 0);
        QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5"), 3);   // the stored month of ABC untouched
        QCOMPARE(shell.editMode(), EditMode::Browse);
    }

    // Failures keep the dialog open (format, database), a mismatch and a No
    // close it without the completion message; kinds 2 to 5 hold the mark.
    void dialogFailuresAndMark()
    {
        ScriptedMessages messages;
        ImportShell shell;
        CachedDataset qryEM03;
        {
            TfmENTERY dialog(DeclarationKind::B02, qryEM03, shell);
            QVERIFY(shell.importInProgress());
            QCOMPARE(shell.importKind(), DeclarationKind::B02);
            dialog.show();
            dialog.setFilePath(writeFile(QStringLiteral("B02ABC000008805"),
                                         crlf({"08805ABC0000ABC001102500", "08805ABC0000ABC00110250"})));
            QTest::mouseClick(dialog.findChild<QPushButton *>("sbOK"), Qt::LeftButton);
            QCOMPARE(messages.texts(), QStringList({"檔案格式有誤,請查明 !!!"}));
            QCOMPARE(messages.records().at(0).icon, Messages::Icon::Warning);
            QVERIFY2(messages.records().at(0).detail.contains(QStringLiteral("第 2 行")),
                     qPrintable(messages.records().at(0).detail));
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.outcome(), TfmENTERY::Outcome::None);

            // Stored month, No: closes, nothing written, no completion.
            messages.clear();
            messages.answerNext(false);
            dialog.setFilePath(writeFile(QStringLiteral("B02ABC000008805"), crlf({"08805ABC0000ABC001109000"})));
            QTest::mouseClick(dialog.findChild<QPushButton *>("sbOK"), Qt::LeftButton);
            QCOMPARE(messages.texts(), QStringList({"資料已存在是否確定修改!!!"}));
            QCOMPARE(dialog.outcome(), TfmENTERY::Outcome::Declined);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(m_db->scalar("select M_RATE from EM03 where BANK_CODE1 = 'ABC0011'").toDouble(), 2.5);
        }
        QVERIFY(!shell.importInProgress());

        // Name and data disagree: information icon, closed, nothing else said.
        messages.clear();
        CachedDataset qryMPBANK;
        TfmENTERY dialog(DeclarationKind::B01, qryMPBANK, shell);
        dialog.show();
        dialog.setFilePath(writeFile(QStringLiteral("B01ABC000008806"), crlf({b01("08805", "ABC0000", "11000", "7")})));
        QTest::mouseClick(dialog.findChild<QPushButton *>("sbOK"), Qt::LeftButton);
        QCOMPARE(messages.texts(), QStringList({"檔名規則與資料內容不符,請查明再進行匯入!!!!!!"}));
        QCOMPARE(messages.records().at(0).icon, Messages::Icon::Information);
        QCOMPARE(dialog.outcome(), TfmENTERY::Outcome::Mismatch);
        QVERIFY(!dialog.isVisible());

        // The database refuses: its message, the dialog stays open.
        messages.clear();
        messages.answerNext(true);
        QVERIFY(m_db->exec("create trigger refuse_all before insert on MPBANK "
                           "begin select raise(abort, 'refused by test trigger'); end"));
        TfmENTERY again(DeclarationKind::B01, qryMPBANK, shell);
        again.show();
        again.setFilePath(writeFile(QStringLiteral("B01ABC000008805"), crlf({b01("08805", "ABC0000", "11000", "7")})));
        QTest::mouseClick(again.findChild<QPushButton *>("sbOK"), Qt::LeftButton);
        QCOMPARE(messages.records().size(), 2);
        QCOMPARE(messages.records().at(1).icon, Messages::Icon::Critical);
        QVERIFY(messages.records().at(1).text.contains(QStringLiteral("refused by test trigger")));
        QVERIFY(again.isVisible());
        QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5"), 3);

        // No file chosen: said, and the dialog stays.
        messages.clear();
        again.setFilePath(QString());
        QTest::mouseClick(again.findChild<QPushButton *>("sbOK"), Qt::LeftButton);
        QCOMPARE(messages.texts(), QStringList({ImportEngine::openFailedMessage()}));
        QVERIFY(again.isVisible());
        // A name typed relative to the directory shown.
        again.setDirectory(m_dir->path());
        again.findChild<QLineEdit *>("edtFILENAME")->setText(QStringLiteral("B01ABC000008805"));
        QCOMPARE(again.filePath(), m_dir->filePath("B01ABC000008805"));
    }

    // The record reader, as the import takes lines, over thousands of mutated
    // lines of every kind: it never crashes, and a line it accepts holds every
    // field in printable ASCII and renders back to a line that reads the same
    // values (the same numbers exactly).
    void recordReaderFuzz()
    {
        QRandomGenerator rng(0x5eed1);
        const QByteArray alphabet("0123456789-. +ApZ0000");
        QHash<int, QList<QVariantMap>> seeds;
        auto row = [](std::initializer_list<std::pair<const char *, QVariant>> values) {
            QVariantMap m;
            for (const auto &[k, v] : values)
                m.insert(QString::fromLatin1(k), v);
            return m;
        };
        seeds[Kind::B01] = {row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "11000"}, {"AMT", -1234.5}}),
                            row({{"M_YEAR", 115}, {"M_MONTH", 12}, {"BANK_CODE", "9950011"}, {"ACC_CODE", "1234p"}, {"AMT", 12.345}})};
        seeds[Kind::B02] = {row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"BANK_CODE1", "ABC0011"}, {"M_RATE", 2.5}})};
        seeds[Kind::B03] = {row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"FLAG1", "1"}, {"FLAG2", "2"},
                                 {"FLAG3", "09"}, {"FLAG4", "3"}, {"RATE", 2.5}})};
        seeds[Kind::B04] = {row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"FLAG1", "0"}, {"FLAG2", "1"},
                                 {"FLAG3", "10"}, {"AMT", 7}, {"AMT1", -123456.25}})};
        seeds[Kind::B05] = {row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"HSIEN_ID", "A"},
                                 {"ACC_CODE", "H0001"}, {"AMT", 0.0001}})};

        int accepted = 0;
        int refused = 0;
        for (const Kind *kind : Kind::all()) {
            const RecordReader reader(*kind);
            const RecordWriter writer(*kind);
            QList<QByteArray> seedLines;
            for (const QVariantMap &values : seeds.value(kind->id())) {
                const auto w = writer.write(values);
                QVERIFY2(w.ok(), qPrintable(w.error));
                seedLines << w.line;
            }
            for (int i = 0; i < 4000; ++i) {
                QByteArray line = seedLines.at(int(rng.bounded(quint32(seedLines.size()))));
                const int edits = 1 + int(rng.bounded(3u));
                for (int e = 0; e < edits; ++e) {
                    const int pos = int(rng.bounded(quint32(line.size() + 1)));
                    const char c = alphabet.at(int(rng.bounded(quint32(alphabet.size()))));
                    switch (rng.bounded(6u)) {
                    case 0:
                    case 1:
                        if (pos < line.size())
                            line[pos] = c;
                        break;
                    case 2:
                        if (pos < line.size())
                            line[pos] = char(rng.bounded(256u));
                        break;
                    case 3:
                        line.remove(pos, 1);
                        break;
                    case 4:
                        line.insert(pos, c);
                        break;
                    case 5:
                        line.truncate(pos);
                        break;
                    }
                }
                const RecordReader::Result r = ImportEngine::readRecord(reader, line, 7);
                if (!r.ok()) {
                    ++refused;
                    QVERIFY(r.values.isEmpty());
                    QVERIFY2(r.error.contains(QStringLiteral("第 7 行")), qPrintable(r.error));
                    continue;
                }
                ++accepted;
                const QByteArray shown = line.toPercentEncoding(" -.");
                QVERIFY2(line.size() >= reader.requiredLength(), shown.constData());
                for (int k = 0; k < reader.requiredLength(); ++k) {
                    const auto b = static_cast<unsigned char>(line.at(k));
                    QVERIFY2(b >= 0x20 && b <= 0x7e, shown.constData());
                }
                QCOMPARE(r.values.size(), kind->fields().size());
                const auto w = writer.write(r.values);
                QVERIFY2(w.ok(), qPrintable(QString::fromLatin1(shown) + u' ' + w.error));
                const RecordReader::Result again = ImportEngine::readRecord(reader, w.line, 7);
                QVERIFY2(again.ok(), qPrintable(QString::fromLatin1(shown) + u' ' + again.error));
                for (const DeclarationField &f : kind->fields()) {
                    if (f.rendering == DeclarationField::Rendering::InstitutionCode) {
                        // The format pads codes with "0", so "ABC000" (read from
                        // "ABC000 ") and "ABC" are one code in a file: compare the
                        // code as a file holds it.
                        QCOMPARE(DeclarationFormat::institutionText(again.values.value(f.name).toString()),
                                 DeclarationFormat::institutionText(r.values.value(f.name).toString()));
                    } else if (f.isNumber()) {
                        QVERIFY2(again.numbers.value(f.name) == r.numbers.value(f.name), shown.constData());
                    } else {
                        QVERIFY2(again.values.value(f.name) == r.values.value(f.name),
                                 qPrintable(QString::fromLatin1(shown) + u' ' + f.name));
                    }
                }
            }
        }
        // The generator reaches both sides of the reader.
        QVERIFY2(accepted > 1000 && refused > 1000, qPrintable(QStringLiteral("%1/%2").arg(accepted).arg(refused)));
    }

    // Whole mutated files through the engine on a stored month: whatever the
    // outcome, a file that is not imported changes nothing, and the file is
    // never changed.
    void engineFuzz()
    {
        QRandomGenerator rng(0xf11e5);
        const QByteArray base = crlf({b01("08805", "ABC0000", "11000", "7"), b01("08805", "ABC0000", "11500", "-0.5"),
                                      b01("08805", "ABC0000", "1234p", "12345")});
        const QByteArray alphabet("0123456789-. pA\r\n\xb5");
        QVERIFY(m_db->exec("pragma synchronous = off"));   // speed only: hundreds of commits
        for (int i = 0; i < 300; ++i) {
            QByteArray bytes = base;
            const int edits = 1 + int(rng.bounded(3u));
            for (int e = 0; e < edits; ++e) {
                const int pos = int(rng.bounded(quint32(bytes.size())));
                const char c = alphabet.at(int(rng.bounded(quint32(alphabet.size()))));
                switch (rng.bounded(3u)) {
                case 0: bytes[pos] = c; break;
                case 1: bytes.remove(pos, 1); break;
                case 2: bytes.insert(pos, c); break;
                }
            }
            const QString path = writeFile(QStringLiteral("B01ABC000008805"), bytes);
            QVERIFY(m_db->exec("delete from MPBANK where M_MONTH = 5"));
            QVERIFY(m_db->exec("insert into MPBANK values (88, 5, 'ABC', '11000', 1, 1), (88, 5, 'ABC', '11500', 2, 2), "
                               "(88, 5, 'ABC', '1234p', 3, 3)"));
            const int monthBefore = 3;
            const QStringList before = dump("MPBANK");
            CachedDataset target;
            const auto result = runImport(path, Kind::B01, target, true);
            QCOMPARE(bytesOf(path), bytes);
            QCOMPARE(folderListing(), QStringList({"B01ABC000008805"}));
            if (result.ok()) {
                // A mutated code may give lines of two institutions: only the
                // stored rows of the last line's institution are replaced.
                QCOMPARE(m_db->count("MPBANK", "M_YEAR = 88 and M_MONTH = 5"),
                         monthBefore - (result.replaced ? result.storedRows : 0) + result.rowsRead);
            } else {
                // A line of another institution may collide with the stored
                // month of ABC: the engine refuses, the table stays.
                QVERIFY2(result.status == Status::FormatError || result.status == Status::MonthMismatch
                             || result.status == Status::DatabaseError,
                         qPrintable(result.detail));
                QCOMPARE(dump("MPBANK"), before);
            }
        }
    }

    // velq8-cli import: 1 without --replace on a stored month, 0 with it, 2 on
    // a format error naming the line.
    void commandLine()
    {
#ifndef VELQ8_CLI
        QSKIP("velq8-cli is not built");
#else
        const QString path = writeFile(QStringLiteral("B01ABC000008805"),
                                       crlf({b01("08805", "ABC0000", "11000", "7")}));
        const QStringList before = dump("MPBANK");
        auto cli = [&](const QStringList &args, QString *out, QString *err) {
            QProcess p;
            p.start(QStringLiteral(VELQ8_CLI), QStringList{"--database", m_db->path(), "import"} + args);
            if (!p.waitForFinished(60000))
                return -1;
            *out = QString::fromUtf8(p.readAllStandardOutput());
            *err = QString::fromUtf8(p.readAllStandardError());
            return p.exitCode();
        };
        QString out, err;
        QCOMPARE(cli({path, "--kind", "B01"}, &out, &err), 1);
        QVERIFY2(err.contains(QStringLiteral("資料已存在是否確定修改!!!")), qPrintable(err));
        QCOMPARE(dump("MPBANK"), before);

        QCOMPARE(cli({path, "--kind", "B01", "--replace"}, &out, &err), 0);
        QVERIFY2(out.contains(QStringLiteral("匯入作業完成!!!")), qPrintable(out + err));
        QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5"), 1);

        const QString bad = writeFile(QStringLiteral("B01ABC000008804"),
                                      crlf({b01("08804", "ABC0000", "11000", "7"), b01("08804", "ABC0000", "11500", "x")}));
        QCOMPARE(cli({bad, "--kind", "B01", "--replace"}, &out, &err), 2);
        QVERIFY2(err.contains(QStringLiteral("檔案格式有誤,請查明 !!!")) && err.contains(QStringLiteral("第 2 行")),
                 qPrintable(err));
        QCOMPARE(m_db->count("MPBANK", "M_MONTH = 4"), 1);
        QCOMPARE(cli({bad, "--kind", "B09"}, &out, &err), 2);
#endif
    }
};

QTEST_MAIN(TestImport)
#include "tst_import.moc"
