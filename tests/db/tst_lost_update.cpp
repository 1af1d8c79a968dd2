#include "db/cached_dataset.h"
#include "db/database.h"
#include "db/declaration_kind.h"
#include "db/engine_message.h"
#include "db/record_editor.h"
#include "db/record_save.h"
#include "tests/support/database_test.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

// Two writers on one database file: the application connection saves what it
// read while a second connection ("OTHER", as a second window, the command line
// or another desk would) writes behind its back.
class TstLostUpdate : public DatabaseTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void changeBehindTheRow_data();
    void changeBehindTheRow();
    void monthClaim_data();
    void monthClaim();
    void busyWriterWaitsBoundedThenSaves_data();
    void busyWriterWaitsBoundedThenSaves();
};

namespace {

const QString Other = QStringLiteral("OTHER");
using Mode = RecordForm::Mode;

// A form that keeps the row in the mode it is given and records what it was told.
struct Form : RecordForm
{
    Mode current = Mode::Modify;
    QStringList said;
    Mode mode() const override { return current; }
    void setMode(Mode mode) override { current = mode; }
    bool settleEditor() override { return true; }
    bool hasRequiredValues() const override { return true; }
    void refused(Refusal) override {}
    bool openNextRow() override { return false; }
    void showBrowse() override {}
    void say(Tone, const QString &text) override { said << text; }
    bool confirm(const QString &) override { return true; }
};

// What a window reads, keyed as its rows are.
struct Window
{
    QString sql;
    QString table;
    QStringList key;       // the row edited: values of the key fields, in order
    QStringList keyFields;
    QString field;         // the field the user changes
};

Window window(const QString &name)
{
    if (name == "bills trading tab") {
        // The tab's own statement, computed label columns included.
        return {DeclarationKind::get(DeclarationKind::B04).tabQuery().statement(true, true),
                "EM09", {"1", "2", "3"}, {"FLAG1", "FLAG2", "FLAG3"}, "AMT"};
    }
    return {"select HSIEN_ID, HSIEN_NAME, (HSIEN_ID || '  ' || HSIEN_NAME) AS HSIENNAME from CD01 order by HSIEN_ID",
            "CD01", {"A"}, {"HSIEN_ID"}, "HSIEN_NAME"};
}

// One month 115/10 of 995 for MPBANK through the dataset a month tab uses.
std::unique_ptr<CachedDataset> monthRows(const QString &connection = Database::connectionName())
{
    auto rows = std::make_unique<CachedDataset>(connection);
    rows->setSql("select M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL from MPBANK "
                 "where BANK_CODE = '995' and M_YEAR = 115 and M_MONTH = 10 order by SERIAL");
    rows->setUpdateTable("MPBANK");
    return rows;
}

bool addMonthRow(CachedDataset &rows, const QString &account, double amount, int serial)
{
    return rows.append() && rows.setValue("M_YEAR", 115) && rows.setValue("M_MONTH", 10)
           && rows.setValue("BANK_CODE", "995") && rows.setValue("ACC_CODE", account)
           && rows.setValue("AMT", amount) && rows.setValue("SERIAL", serial) && rows.post();
}

// 995's month as "ACC_CODE=AMT;...", amounts written as SQLite writes a real
// ("5.0"), whichever engine holds them.
QString storedMonth()
{
    QSqlQuery q(Database::connection());
    if (!q.exec("select ACC_CODE, AMT from MPBANK where BANK_CODE = '995' order by SERIAL, ACC_CODE"))
        return q.lastError().text();
    QStringList rows;
    while (q.next()) {
        QString amount = QString::number(q.value(1).toDouble(), 'g', 15);
        if (!amount.contains(u'.'))
            amount += ".0";
        rows << q.value(0).toString() + u'=' + amount;
    }
    return rows.join(u';');
}

} // namespace

void TstLostUpdate::init()
{
    DatabaseTest::init();
    QString error;
    QVERIFY2(Database::open(m_db->path(), &error, Other), qPrintable(error));
    // EM09 of 995 for 115/10: the row edited holds four decimals and a NULL amount.
    QVERIFY(m_db->insertRow("EM09", {{"BANK_CODE", "995"}, {"M_YEAR", 115}, {"M_MONTH", 10}, {"FLAG1", "1"},
                                     {"FLAG2", "2"}, {"FLAG3", "3"}, {"AMT", 1234.5678}, {"AMT1", QVariant()}}));
    QVERIFY(m_db->insertRow("CD01", {{"HSIEN_ID", "A"}, {"HSIEN_NAME", QVariant()}}));
    QVERIFY(m_db->insertRow("CD01", {{"HSIEN_ID", "B"}, {"HSIEN_NAME", "乙"}}));
}

void TstLostUpdate::cleanup()
{
    Database::close(Other);
    DatabaseTest::cleanup();
}

void TstLostUpdate::changeBehindTheRow_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("deleting");
    QTest::addColumn<QString>("behind");    // the other writer's statement, or none
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("stored");    // the edited row's field afterwards ("-": no row)

    const QString tab = "bills trading tab";
    const QString county = "county window";
    const QString amount = "update EM09 set AMT = 99 where FLAG1 = '1'";
    const QString rename = "update CD01 set HSIEN_NAME = '甲' where HSIEN_ID = 'A'";
    QTest::newRow("tab modify, amount changed behind") << tab << false << amount << false << "99";
    QTest::newRow("tab modify, the other amount changed behind")
        << tab << false << "update EM09 set AMT1 = 0" << false << "1234.5678";
    QTest::newRow("tab modify, row deleted behind") << tab << false << "delete from EM09" << false << "-";
    QTest::newRow("tab delete, amount changed behind") << tab << true << amount << false << "99";
    QTest::newRow("tab modify, untouched decimals and NULL") << tab << false << "" << true << "7";
    QTest::newRow("tab delete, untouched decimals and NULL") << tab << true << "" << true << "-";
    QTest::newRow("tab modify, the same value written behind")
        << tab << false << "update EM09 set AMT = 1234.5678" << true << "7";
    QTest::newRow("window modify, name changed behind") << county << false << rename << false << "甲";
    QTest::newRow("window delete, name changed behind") << county << true << rename << false << "甲";
    QTest::newRow("window modify, untouched NULL name") << county << false << "" << true << "7";
    QTest::newRow("window delete, untouched NULL name") << county << true << "" << true << "-";
    QTest::newRow("window modify, empty name written behind")
        << county << false << "update CD01 set HSIEN_NAME = '' where HSIEN_ID = 'A'" << true << "7";
}

void TstLostUpdate::changeBehindTheRow()
{
    QFETCH(QString, window);
    QFETCH(bool, deleting);
    QFETCH(QString, behind);
    QFETCH(bool, saved);
    QFETCH(QString, stored);

    const Window w = ::window(window);
    CachedDataset rows;
    rows.setSql(w.sql);
    rows.setUpdateTable(w.table);
    rows.setParam("BANK_CODE", "995");
    rows.setParam("M_YEAR", 115);
    rows.setParam("M_MONTH", 10);
    QVERIFY2(rows.open(), qPrintable(rows.lastError()));
    QVERIFY(rows.locate(w.keyFields, {w.key.begin(), w.key.end()}));
    Form form;
    RecordEditor editor(rows, form, {w.keyFields, [](QString *) { return std::optional<bool>(false); }});

    if (!behind.isEmpty()) {
        QSqlQuery other(Database::connection(Other));
        QVERIFY2(other.exec(behind), qPrintable(other.lastError().text()));
    }
    bool done = false;
    if (deleting) {
        done = editor.remove("?") == RecordEditor::Removal::Deleted;
    } else {
        QVERIFY(rows.edit());
        QVERIFY(rows.setValue(w.field, 7));
        done = editor.save(RecordEditor::After::Close);
    }
    QCOMPARE(done, saved);

    const QString where = QStringLiteral(" where %1 = '%2'").arg(w.keyFields.first(), w.key.first());
    const QVariant now = m_db->scalar(QStringLiteral("select %1 from %2").arg(w.field, w.table) + where);
    const bool rowStored = m_db->count(w.table, where.mid(7)) > 0;
    QCOMPARE(rowStored ? now.toString() : QString("-"), stored);
    if (saved)
        return;
    QCOMPARE(form.said.size(), 1);
    QVERIFY2(form.said.first().startsWith(EngineMessage::changedByOther(deleting)), qPrintable(form.said.first()));
    if (deleting) {
        QCOMPARE(rows.state(), CachedDataset::State::Browse);   // the row back, as read
        QVERIFY(rows.locate(w.keyFields, {w.key.begin(), w.key.end()}));
    } else {
        // The user's value kept in editing, to be discarded and queried again.
        QCOMPARE(rows.state(), CachedDataset::State::Edit);
        QCOMPARE(form.current, Mode::Modify);
        QCOMPARE(rows.value(w.field).toString(), QString("7"));
    }
}

void TstLostUpdate::monthClaim_data()
{
    QTest::addColumn<QString>("purpose");
    QTest::addColumn<QString>("institution");   // of the claim
    QTest::addColumn<QString>("behind");        // what the other writer did meanwhile
    QTest::addColumn<QString>("refusal");       // empty: saved
    QTest::addColumn<QString>("stored");        // 995's month afterwards

    const QString otherMonth = "insert into MPBANK values (115, 10, '995', '11900', 5, 1)";
    const QString otherBank = "insert into MPBANK values (115, 10, '996', '11900', 5, 1)";
    QTest::newRow("add, month free") << "add" << "995" << "" << "" << "11000=1.5;11010=2.25";
    QTest::newRow("add, the month stored meanwhile")
        << "add" << "995" << otherMonth << EngineMessage::monthStoredByOther() << "11900=5.0";
    QTest::newRow("add, another institution's month stored meanwhile")
        << "add" << "995" << otherBank << "" << "11000=1.5;11010=2.25";
    QTest::newRow("add a month of every institution, one stored meanwhile")
        << "add" << "" << otherBank << EngineMessage::monthStoredByOther() << "";
    QTest::newRow("delete, month deleted meanwhile")
        << "delete" << "995" << "delete from MPBANK" << EngineMessage::changedByOther(true) << "";
    QTest::newRow("delete, a row changed meanwhile")
        << "delete" << "995" << "update MPBANK set AMT = 8 where ACC_CODE = '11010'"
        << EngineMessage::changedByOther(true) << "11000=1.5;11010=8.0";
    QTest::newRow("delete, untouched") << "delete" << "995" << "" << "" << "";
    QTest::newRow("save, month deleted meanwhile")
        << "save" << "995" << "delete from MPBANK" << EngineMessage::changedByOther(false) << "";
    QTest::newRow("save, untouched") << "save" << "995" << "" << "" << "11000=1.5;11010=3.0";
}

void TstLostUpdate::monthClaim()
{
    QFETCH(QString, purpose);
    QFETCH(QString, institution);
    QFETCH(QString, behind);
    QFETCH(QString, refusal);
    QFETCH(QString, stored);

    auto rows = monthRows();
    QVERIFY(rows->open());
    MonthClaim::Purpose claimed = MonthClaim::Purpose::Add;
    if (purpose == "add") {
        QVERIFY(addMonthRow(*rows, "11000", 1.5, 1));
        QVERIFY(addMonthRow(*rows, "11010", 2.25, 2));
    } else {
        // The month is stored and read first.
        QVERIFY(addMonthRow(*rows, "11000", 1.5, 1));
        QVERIFY(addMonthRow(*rows, "11010", 2.25, 2));
        QVERIFY(RecordSave(*rows).run());
        rows->last();
        if (purpose == "delete") {
            claimed = MonthClaim::Purpose::Delete;
            while (rows->recordCount() > 0)
                QVERIFY(rows->remove());
        } else {
            claimed = MonthClaim::Purpose::Save;
            QVERIFY(rows->setValue("AMT", 3.0) && rows->post());
        }
    }
    if (!behind.isEmpty()) {
        QSqlQuery other(Database::connection(Other));
        QVERIFY2(other.exec(behind), qPrintable(other.lastError().text()));
    }
    RecordSave save(*rows);
    save.claimMonth(MonthClaim("MPBANK", 115, 10, institution, claimed));
    QCOMPARE(save.run(), refusal.isEmpty());
    QVERIFY2(refusal.isEmpty() ? save.error().isEmpty() : save.error().startsWith(refusal), qPrintable(save.error()));
    QCOMPARE(rows->hasPendingUpdates(), !refusal.isEmpty());   // refused: the cache as it was
    QCOMPARE(storedMonth(), stored);
}

void TstLostUpdate::busyWriterWaitsBoundedThenSaves_data()
{
    QTest::addColumn<bool>("claimed");
    QTest::newRow("a month's save") << true;
    QTest::newRow("a row's save") << false;
}

// One writer holds the write lock; the second waits its busy timeout, is told so
// in the system's words with nothing written, and saves once the first is done.
void TstLostUpdate::busyWriterWaitsBoundedThenSaves()
{
    if (TestDatabase::onServer())
        QSKIP("holds SQLite's write lock on the file; the server's month lock is tested in tst_shared_database");
    QFETCH(bool, claimed);
    const QString waiting = QStringLiteral("WAITING");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", waiting);
        db.setDatabaseName(m_db->path());
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=300");
        QVERIFY(db.open());
    }
    auto rows = monthRows(waiting);
    QVERIFY(rows->open());
    QVERIFY(addMonthRow(*rows, "11000", 1.5, 1));

    QSqlQuery holder(Database::connection(Other));
    QVERIFY(holder.exec("begin immediate"));
    QVERIFY(holder.exec("insert into MPBANK values (115, 11, '995', '11000', 1, 1)"));
    QElapsedTimer clock;
    clock.start();
    {
        RecordSave save(*rows);
        if (claimed)
            save.claimMonth(MonthClaim("MPBANK", 115, 10, "995", MonthClaim::Purpose::Add));
        QVERIFY(!save.run());
        QCOMPARE(save.error(), EngineMessage::busy());
    }
    QVERIFY2(clock.elapsed() >= 250 && clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(rows->hasPendingUpdates());
    QVERIFY(holder.exec("commit"));

    RecordSave again(*rows);
    if (claimed)
        again.claimMonth(MonthClaim("MPBANK", 115, 10, "995", MonthClaim::Purpose::Add));
    QVERIFY2(again.run(), qPrintable(again.error()));
    QCOMPARE(m_db->count("MPBANK"), 2);
    rows.reset();
    QSqlDatabase::removeDatabase(waiting);
}

QTEST_GUILESS_MAIN(TstLostUpdate)
#include "tst_lost_update.moc"
