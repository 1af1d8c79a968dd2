// The month tab at the edges of its contracts: the period rule's bounds, the
// amounts a declaration file can hold, a question answered No while a value is
// half typed, the close after a delete, and the options a tab departs by.
#include "db/cached_dataset.h"
#include "tests/support/modal_messages.h"
#include "tests/support/month_tab_fixture.h"
#include "ui/period_spin_edit.h"
#include "ui/record_grid.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace month_tab_names;

namespace {

// The accounts 10000 and 1000p (a "p" account: written to the file × 1000) with
// the month 115/1 stored (amounts 1 and 2) and loaded for modifying.
bool modifyingTwoAccounts(Fixture &f)
{
    return f.setUpLoaded({"10000", "1000p"}) && f.click("sbEdit");
}

} // namespace

class TstMonthTab : public QObject
{
    Q_OBJECT
private slots:
    void periodRuleClampsAtItsBounds_data();
    void periodRuleClampsAtItsBounds();
    void amountTheFileCannotHoldIsRefused_data();
    void amountTheFileCannotHoldIsRefused();
    void discardAnsweredNoLeavesAHalfTypedValueOutOfTheRow();
    void deletedMonthThenCloseLeavesNothingPending();
    void failedDeleteLeavesTheRowsAsTheTableHoldsThem_data();
    void failedDeleteLeavesTheRowsAsTheTableHoldsThem();
    void periodLookedUpForAnyInstitution_data();
    void periodLookedUpForAnyInstitution();
    void ownButtonStatesReadOnlyPeriodAndReread();
};

void TstMonthTab::periodRuleClampsAtItsBounds_data()
{
    QTest::addColumn<bool>("year");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("month 13 is 12") << false << "13" << "12";
    QTest::newRow("month 12 stays") << false << "12" << "12";
    QTest::newRow("year 1000 is 999") << true << "1000" << "999";
    QTest::newRow("year 999 stays") << true << "999" << "999";
}

void TstMonthTab::periodRuleClampsAtItsBounds()
{
    QFETCH(bool, year);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Fixture f;
    QVERIFY(f.setUpLoaded({"10000"}));
    PeriodSpinEdit *edit = year ? f.year() : f.month();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->editText(), shown);
    QCOMPARE(edit->number(), shown.toInt());
    // Clamped or not, a changed period closes the month.
    QVERIFY(!f.ds().isOpen());
    QCOMPARE(f.enabledButtons(), Fixture::BrowseStart);
}

void TstMonthTab::amountTheFileCannotHoldIsRefused_data()
{
    QTest::addColumn<int>("row");          // 0: account 10000, 1: account 1000p
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");  // empty: stored
    const QString nines = QString(320, u'9');
    QTest::newRow("320 nines") << 0 << nines << "「金額」數值 99999999999999999999... 超過申報檔欄位寬度 14";
    QTest::newRow("14 characters") << 0 << "99999999999999" << "";
    QTest::newRow("14 with sign and point") << 0 << "-99999999999.9" << "";
    QTest::newRow("15 characters") << 0 << "-99999999999999" << "「金額」數值 -99999999999999 超過申報檔欄位寬度 14";
    QTest::newRow("15 digits, 15 characters") << 0 << "999999999999999"
                                              << "「金額」數值 999999999999999 超過申報檔欄位寬度 14";
    // The file keeps four decimals: what they round to is what must fit.
    QTest::newRow("rounds into the width") << 0 << "999999999.99999" << "";
    QTest::newRow("15 significant digits") << 0 << "0.123456789012345" << "";
    QTest::newRow("16 significant digits") << 0 << "0.1234567890123456"
                                           << "「金額」數值 0.1234567890123456 超過 15 位有效數字";
    QTest::newRow("p account, 14 after x 1000") << 1 << "99999999999" << "";
    QTest::newRow("p account, fraction x 1000") << 1 << "99999999999.999" << "";
    QTest::newRow("p account, 15 after x 1000") << 1 << "999999999999"
                                                << "「金額」數值 999999999999 乘以 1000 後超過申報檔欄位寬度 14";
}

void TstMonthTab::amountTheFileCannotHoldIsRefused()
{
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    Fixture f;
    QVERIFY(modifyingTwoAccounts(f));
    const double stored = f.ds().value(row, "AMT").toDouble();
    QVERIFY(f.typeAmount(row, typed));
    if (refusal.isEmpty()) {
        QVERIFY2(f.messages.records().isEmpty(), qPrintable(f.messages.lastText()));
        QCOMPARE(f.ds().value(row, "AMT").toDouble(), typed.toDouble());
        return;
    }
    QCOMPARE(f.messages.texts(), QStringList({refusal}));
    QVERIFY(f.said(Icon::Warning, refusal));
    // The cell stays in editing with what was typed; the stored value stays.
    QCOMPARE(f.grid()->currentIndex(), f.ds().index(row, 3));
    QVERIFY(f.editor());
    QCOMPARE(f.editor()->text(), typed);
    QCOMPARE(f.ds().value(row, "AMT").toDouble(), stored);
    QCOMPARE(f.shell.mode, EditMode::Modify);
    // Save says it again and saves nothing.
    QVERIFY(!f.tab->save());
    QCOMPARE(f.messages.texts(), QStringList({refusal, refusal}));
    QCOMPARE(f.shell.mode, EditMode::Modify);
    QCOMPARE(f.db.scalar("select sum(AMT) from MPBANK").toDouble(), 3.0);
}

void TstMonthTab::discardAnsweredNoLeavesAHalfTypedValueOutOfTheRow()
{
    Fixture f;
    QVERIFY(modifyingTwoAccounts(f));
    ModalMessages boxes;   // the question takes the focus as a real box does
    QVERIFY(f.startTyping(0, "77"));

    boxes.answerNext(false);
    QVERIFY(f.click("sbCancel"));
    QCOMPARE(boxes.texts(), QStringList({"是否確定放棄!!!"}));
    QCOMPARE(f.ds().value(0, "AMT").toDouble(), 1.0);
    QCOMPARE(f.ds().rowStatus(0), CachedDataset::RowStatus::Unmodified);
    QVERIFY(!f.ds().hasPendingUpdates());
    QCOMPARE(f.shell.mode, EditMode::Modify);
    QVERIFY(f.editor());
    QCOMPARE(f.editor()->text(), QStringLiteral("77"));

    // Yes drops it; nothing was ever written.
    boxes.answerNext(true);
    QVERIFY(f.click("sbCancel"));
    QCOMPARE(f.shell.mode, EditMode::Browse);
    QCOMPARE(f.ds().value(0, "AMT").toDouble(), 1.0);
    QVERIFY(!f.ds().hasPendingUpdates());
    QCOMPARE(f.db.scalar("select AMT from MPBANK where ACC_CODE = '10000'").toDouble(), 1.0);
}

void TstMonthTab::deletedMonthThenCloseLeavesNothingPending()
{
    Fixture f;
    QVERIFY(f.setUpMonth({"10000", "20000"}));
    QVERIFY(f.addMonth(115, 2, {"10000"}));
    QVERIFY(f.click("sbQuery"));
    f.messages.answerNext(true);
    QVERIFY(f.click("sbDel"));
    QVERIFY(!f.ds().hasPendingUpdates());
    QVERIFY(f.tab->saveOnClose());
    QCOMPARE(f.messages.texts(), QStringList({"確定要刪除嗎 ???", "刪除成功!!!"}));
    QCOMPARE(f.db.count("MPBANK", "M_MONTH = 1"), 0);
    QCOMPARE(f.db.count("MPBANK", "M_MONTH = 2"), 1);
}

void TstMonthTab::failedDeleteLeavesTheRowsAsTheTableHoldsThem_data()
{
    QTest::addColumn<bool>("county");
    QTest::newRow("operating data tab") << false;
    QTest::newRow("county tab") << true;
}

void TstMonthTab::failedDeleteLeavesTheRowsAsTheTableHoldsThem()
{
    QFETCH(bool, county);
    const QStringList accounts{"10000", "20000", "30000"};
    Fixture f;
    const QString table = county ? QStringLiteral("HMPBANK") : QStringLiteral("MPBANK");
    QVERIFY(county ? f.setUpCounty({"A"}, accounts) && f.addCountyMonth(115, 1, {"A"}, accounts)
                   : f.setUp(accounts) && f.addMonth(115, 1, accounts));
    QVERIFY(f.db.exec(QStringLiteral("CREATE TRIGGER boom BEFORE DELETE ON %1 WHEN OLD.ACC_CODE = '30000' "
                                     "BEGIN SELECT RAISE(ABORT, 'boom'); END").arg(table)));
    QVERIFY(f.click(county ? "sbQuery3" : "sbQuery"));
    f.messages.answerNext(true);
    QVERIFY(f.click(county ? "sbDel3" : "sbDel"));
    QCOMPARE(f.messages.lastText(), QStringLiteral("刪除失敗!!!"));
    // Nothing deleted, nothing pending: the rows are back, and closing deletes nothing.
    QCOMPARE(f.column("ACC_CODE"), accounts);
    QVERIFY(!f.ds().hasPendingUpdates());
    QVERIFY(f.tab->saveOnClose());
    QCOMPARE(f.db.count(table), 3);
}

void TstMonthTab::periodLookedUpForAnyInstitution_data()
{
    QTest::addColumn<bool>("anyInstitution");
    QTest::addColumn<QStringList>("said");
    QTest::addColumn<EditMode>("mode");
    QTest::newRow("the tab's query sees an empty month") << false << QStringList() << EditMode::Add;
    QTest::newRow("the lookup finds the other institution's")
        << true << QStringList({"資料已存在是否確定修改!!!"}) << EditMode::Modify;
}

void TstMonthTab::periodLookedUpForAnyInstitution()
{
    QFETCH(bool, anyInstitution);
    QFETCH(QStringList, said);
    QFETCH(EditMode, mode);
    MonthTabDescription description = OperatingDataTab::description();
    description.periodOfAnyInstitution = anyInstitution;
    Fixture f;
    QVERIFY(f.setUp({"10000", "20000"}, description));
    QVERIFY(f.addMonth(115, 1, {"10000"}, 0, "9990000"));
    f.messages.setDefaultAnswer(true);
    QVERIFY(f.click("sbAdd"));
    QCOMPARE(f.messages.texts(), said);
    QCOMPARE(f.shell.mode, mode);
    // Only the rows of the declaring institution are shown either way.
    QCOMPARE(f.column("BANK_CODE"), mode == EditMode::Add ? QStringList({"995", "995"}) : QStringList());
}

void TstMonthTab::ownButtonStatesReadOnlyPeriodAndReread()
{
    using State = MonthTabDescription::State;
    using B = RecordToolbar::Button;
    MonthTabDescription description = OperatingDataTab::description();
    description.periodReadOnly = true;
    description.rereadAfterSave = true;
    description.buttonStates = {
        {State::Loaded, {{B::First, B::Edit, B::Del, B::Exit}, {B::Query, B::Post}}},
        {State::Editing, {{B::Post}, {B::First, B::Exit}}},
    };
    Fixture f;
    QVERIFY(f.setUp({"10000"}, description));
    QVERIFY(f.addMonth(115, 1, {"10000"}));
    QVERIFY(f.click("sbQuery"));
    // Query is left disabled by the tab's state; Add, named in neither list, keeps its state.
    QCOMPARE(f.enabledButtons(), QStringList({"sbFirst", "sbAdd", "sbEdit", "sbDel", "sbExit", "sbClear"}));

    QVERIFY(f.click("sbEdit"));
    QCOMPARE(f.enabledButtons(), QStringList({"sbAdd", "sbEdit", "sbDel", "sbPost", "sbClear"}));
    QVERIFY(f.year()->isEnabled() && f.year()->isReadOnly());
    QVERIFY(f.month()->isReadOnly());
    QCOMPARE(f.shell.status, QStringLiteral("修改"));
    QVERIFY(f.typeAmount(0, "5"));

    QSignalSpy reads(&f.ds(), &CachedDataset::opened);
    QVERIFY(f.click("sbPost"));
    QCOMPARE(reads.count(), 1);   // the month read again from the table
    QCOMPARE(f.column("AMT"), QStringList({"5"}));
    QVERIFY(!f.year()->isReadOnly());
    QCOMPARE(f.messages.lastText(), QStringLiteral("存檔成功!!!"));
}

QTEST_MAIN(TstMonthTab)
#include "tst_month_tab.moc"
