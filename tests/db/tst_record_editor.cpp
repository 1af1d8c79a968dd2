#include "db/cached_dataset.h"
#include "db/record_editor.h"
#include "db/record_save.h"
#include "db/stored_rows.h"
#include "tests/support/database_test.h"

#include <QtTest>

// The one way a keyed row is saved or deleted, driven through a form that
// records what the user was told and asked, over BN01 holding 995=甲, 996=乙.
class TstRecordEditor : public DatabaseTest
{
    Q_OBJECT
private slots:
    void init();
    void save_data();
    void save();
    void remove_data();
    void remove();
    void recordSaveIsAllOrNothing_data();
    void recordSaveIsAllOrNothing();
};

namespace {

using Mode = RecordForm::Mode;
using State = CachedDataset::State;
const QString KeyQuery = QStringLiteral("select 1 from BN01 where BANK_NO = :BANK_NO");

struct Form : RecordForm
{
    CachedDataset *rows = nullptr;
    Mode current = Mode::Browse;
    bool settles = true;
    bool nextOpens = true;
    bool answer = false;
    QStringList log;   // said, asked and refused, in order; an engine's words as "E"

    Mode mode() const override { return current; }
    void setMode(Mode mode) override { current = mode; }
    bool settleEditor() override { return settles; }
    bool hasRequiredValues() const override { return !rows->value("BANK_NO").toString().trimmed().isEmpty(); }
    void refused(Refusal why) override { log << QStringLiteral("refused %1").arg(int(why)); }
    bool openNextRow() override
    {
        if (!nextOpens || !rows->append())
            return false;
        current = Mode::Add;
        return true;
    }
    void showBrowse() override { log << "browse"; }
    void say(Tone tone, const QString &text) override
    {
        log << (tone == Tone::Error ? (text.isEmpty() ? "E empty" : "E") : (tone == Tone::Warning ? "W " : "I ") + text);
    }
    bool confirm(const QString &question) override
    {
        log << question;
        return answer;
    }
};

struct Editing
{
    CachedDataset rows;
    Form form;
    QString duplicateSql = KeyQuery;
    RecordEditor editor{rows, form, {{"BANK_NO"}, [this](QString *error) {
                                        return StoredRows::any(duplicateSql, {{"BANK_NO", rows.value("BANK_NO")}}, error);
                                    }}};

    Editing()
    {
        form.rows = &rows;
        rows.setSql("select BANK_NO, BANK_NAME from BN01 order by BANK_NO");
        rows.setUpdateTable("BN01");
        rows.beforePost = [this] { return editor.isPosting() && editor.duplicateGuard(); };
        rows.open();
    }
};

// Every write to BN01 refused by the engine.
bool refuseWrites(TestDatabase &db)
{
    return db.refuseWrites("BN01", "kept");
}

} // namespace

void TstRecordEditor::init()
{
    DatabaseTest::init();
    QVERIFY(m_db->insertRow("BN01", {{"BANK_NO", "995"}, {"BANK_NAME", "甲"}}));
    QVERIFY(m_db->insertRow("BN01", {{"BANK_NO", "996"}, {"BANK_NAME", "乙"}}));
}

void TstRecordEditor::save_data()
{
    QTest::addColumn<bool>("add");           // else the first row modified
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("duplicateSql");
    QTest::addColumn<bool>("settles");
    QTest::addColumn<bool>("nextOpens");
    QTest::addColumn<bool>("closing");
    QTest::addColumn<bool>("writeFails");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<int>("modeAfter");
    QTest::addColumn<int>("stateAfter");
    QTest::addColumn<QString>("stored");

    const QString kept = "995=甲;996=乙";
    const QString bad = "select from nowhere";
    const QStringList saidSaved{"browse", "I 存檔成功!!!"};
    const int add = int(Mode::Add), modify = int(Mode::Modify), browse = int(Mode::Browse);
    QTest::newRow("add: written, the next row opens, nothing said")
        << true << "997" << KeyQuery << true << true << false << false << true << QStringList{} << add
        << int(State::Insert) << kept + ";997=新";
    QTest::newRow("add: no next row opens, browse and said")
        << true << "997" << KeyQuery << true << false << false << false << true << saidSaved << browse
        << int(State::Browse) << kept + ";997=新";
    QTest::newRow("add on closing: written, no next row, nothing said")
        << true << "997" << KeyQuery << true << true << true << false << true << QStringList{"browse"} << browse
        << int(State::Browse) << kept + ";997=新";
    QTest::newRow("modify keeping its key: no duplicate query runs")
        << false << "995" << bad << true << true << false << false << true << saidSaved << browse
        << int(State::Browse) << "995=新;996=乙";
    QTest::newRow("modify to a stored key") << false << "996" << KeyQuery << true << true << false << false << false
                                            << QStringList{"W 資料重覆!!!", "refused 1"} << modify
                                            << int(State::Edit) << kept;
    QTest::newRow("add of a stored key") << true << "996" << KeyQuery << true << true << false << false << false
                                         << QStringList{"W 資料重覆!!!", "refused 1"} << add << int(State::Insert)
                                         << kept;
    QTest::newRow("the editor refuses its text: nothing more") << true << "997" << KeyQuery << false << true << false
                                                               << false << false << QStringList{} << add
                                                               << int(State::Insert) << kept;
    QTest::newRow("no code") << true << "" << KeyQuery << true << true << false << false << false
                             << QStringList{"W " + RecordEditor::WrongInput, "refused 0"} << add
                             << int(State::Insert) << kept;
    QTest::newRow("the duplicate query fails") << true << "997" << bad << true << true << false << false << false
                                               << QStringList{"E"} << add << int(State::Insert) << kept;
    QTest::newRow("the write fails: the row back in editing")
        << true << "997" << KeyQuery << true << true << false << true << false << QStringList{"E", "refused 2"}
        << add << int(State::Edit) << kept;
}

void TstRecordEditor::save()
{
    QFETCH(bool, add);
    QFETCH(QString, code);
    QFETCH(QString, duplicateSql);
    QFETCH(bool, settles);
    QFETCH(bool, nextOpens);
    QFETCH(bool, closing);
    QFETCH(bool, writeFails);
    Editing e;
    if (writeFails)
        QVERIFY(refuseWrites(*m_db));
    QVERIFY(add ? e.rows.append() : e.rows.edit());
    e.form.current = add ? Mode::Add : Mode::Modify;
    e.rows.setValue("BANK_NO", code);
    e.rows.setValue("BANK_NAME", "新");
    e.duplicateSql = duplicateSql;
    e.form.settles = settles;
    e.form.nextOpens = nextOpens;

    QTEST(e.editor.save(closing ? RecordEditor::After::Close : RecordEditor::After::NextOrBrowse), "saved");
    QTEST(e.form.log, "log");
    QTEST(int(e.form.current), "modeAfter");
    QTEST(int(e.rows.state()), "stateAfter");
    QTEST(m_db->rowsText("select BANK_NO, BANK_NAME from BN01 order by BANK_NO"), "stored");
}

void TstRecordEditor::remove_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("writeFails");
    QTest::addColumn<int>("removal");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<int>("rowsShown");
    QTest::addColumn<int>("rowsStored");

    QTest::newRow("declined") << false << false << int(RecordEditor::Removal::Declined) << QStringList{"刪除?"} << 2
                              << 2;
    QTest::newRow("deleted") << true << false << int(RecordEditor::Removal::Deleted)
                             << QStringList{"刪除?", "I 刪除成功!!!"} << 1 << 1;
    QTest::newRow("the write fails: the row back as stored")
        << true << true << int(RecordEditor::Removal::Failed) << QStringList{"刪除?", "E"} << 2 << 2;
}

void TstRecordEditor::remove()
{
    QFETCH(bool, answer);
    QFETCH(bool, writeFails);
    Editing e;
    if (writeFails)
        QVERIFY(refuseWrites(*m_db));
    e.form.answer = answer;
    QTEST(int(e.editor.remove("刪除?")), "removal");
    QTEST(e.form.log, "log");
    QTEST(e.rows.recordCount(), "rowsShown");
    QVERIFY(!e.rows.hasPendingUpdates());
    QTEST(m_db->count("BN01"), "rowsStored");
}

void TstRecordEditor::recordSaveIsAllOrNothing_data()
{
    QTest::addColumn<bool>("callersTransaction");
    QTest::addColumn<QString>("secondCode");
    QTest::addColumn<bool>("written");
    QTest::addColumn<int>("rowsStored");

    QTest::newRow("two new rows") << false << "998" << true << 4;
    QTest::newRow("the second refused: neither") << false << "995" << false << 2;
    QTest::newRow("inside the caller's transaction") << true << "998" << true << 5;
    QTest::newRow("refused inside it: the caller's own work stays") << true << "995" << false << 3;
}

void TstRecordEditor::recordSaveIsAllOrNothing()
{
    QFETCH(bool, callersTransaction);
    QFETCH(QString, secondCode);
    Editing e;
    QSqlDatabase db = m_db->db();
    if (callersTransaction) {
        QVERIFY(db.transaction());
        QVERIFY(m_db->exec("insert into BN01 (BANK_NO, BANK_NAME) values ('990', '丁')"));
    }
    e.rows.beforePost = nullptr;   // the rows are posted as the next is appended
    for (const QString &code : {QStringLiteral("997"), secondCode}) {
        QVERIFY(e.rows.append());
        e.rows.setValue("BANK_NO", code);
    }
    RecordSave write(e.rows);
    QTEST(write.run(), "written");
    QFETCH(bool, written);
    QCOMPARE(write.error().isEmpty(), written);
    QCOMPARE(e.rows.hasPendingUpdates(), !written);   // committed, or the cache as it was
    if (callersTransaction)
        QVERIFY(db.commit());
    QTEST(m_db->count("BN01"), "rowsStored");
}

QTEST_GUILESS_MAIN(TstRecordEditor)
#include "tst_record_editor.moc"
