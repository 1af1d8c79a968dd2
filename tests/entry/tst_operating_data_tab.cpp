// The operating data tab driven as a user does: period spin edits, toolbar
// buttons and keys typed into the grid, on a database of its own.
#include "db/cached_dataset.h"
#include "ui/period_spin_edit.h"
#include "ui/record_grid.h"
#include "tests/support/month_tab_fixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QtTest>

using namespace month_tab_names;

class TstOperatingDataTab : public QObject
{
    Q_OBJECT
private slots:
    void toolbarNamesCaptionsAndHints();
    void otherTabsPagesNameTheirControls();
    void startStateAndPeriodRule();
    void queryWithZeroPeriodListsEveryMonthInOrder();
    void queryWithoutRowsWarns();
    void addOnEmptyMonthCreatesOneRowPerAccount();
    void addOnExistingMonthNeverCreatesRows();
    void addModifyDeleteRefuseZeroPeriod();
    void modifyAndDeleteLeaveAnEmptiedPeriodAndTheGridAlone();
    void modifyOnEmptyMonthOffersTheAddRows();
    void failingSaveKeepsCacheRowsAndMode();
    void failingModifySaveWritesNothing();
    void saveWithNothingChangedStillSaysSuccess();
    void discardAsksAndRestoresTheLoadedRows();
};

void TstOperatingDataTab::toolbarNamesCaptionsAndHints()
{
    Fixture f;
    QVERIFY(f.setUp({"11000"}));
    const QList<std::tuple<QString, QString, QString>> expected = {
        {"sbFirst", "首筆", ""},          {"sbLast", "末筆", ""},
        {"sbPrior", "前筆", ""},          {"sbNext", "後筆", ""},
        {"sbQuery", "查詢", "功能鍵-F7"}, {"sbAdd", "新增", "功能鍵-F2"},
        {"sbEdit", "修改", "功能鍵-F3"},  {"sbDel", "刪除", "功能鍵-F4"},
        {"sbPost", "存檔", "功能鍵-F5"},  {"sbCancel", "放棄", "功能鍵-F6"},
        {"sbExit", "離開", ""},           {"sbClear", "清畫面", "請按右鍵選擇 "},
        {"sbCheck", "檢核", "請按右鍵選擇 "}, {"sbENTERY", "匯入", "功能鍵-F5"},
    };
    for (int i = 0; i < expected.size(); ++i) {
        QAbstractButton *b = f.tab->toolbar()->button(RecordToolbar::Button(i));
        QVERIFY(b);
        QCOMPARE(b->objectName(), std::get<0>(expected[i]));
        QCOMPARE(b->text(), std::get<1>(expected[i]));
        QCOMPARE(b->toolTip(), std::get<2>(expected[i]));
    }
    QVERIFY(f.tab->findChild<QLabel *>("labBANKNAME1"));
    QCOMPARE(f.tab->findChild<QLabel *>("labBANKNAME1")->text(), QStringLiteral("測試銀行"));
    QVERIFY(f.tab->findChild<RecordGrid *>("DBGEMPBANK"));
    QCOMPARE(f.ds().objectName(), QStringLiteral("qryMPBANK"));

    // Titles and widths of the grid.
    f.year()->setEditText("0");
    f.month()->setEditText("0");
    QCOMPARE(f.ds().headerData(0, Qt::Horizontal).toString(), QStringLiteral("年"));
    QCOMPARE(f.ds().headerData(1, Qt::Horizontal).toString(), QStringLiteral("月"));
    QCOMPARE(f.ds().headerData(2, Qt::Horizontal).toString(),
             QStringLiteral("科        目        名        稱"));
    QCOMPARE(f.ds().headerData(3, Qt::Horizontal).toString(), QStringLiteral("金額"));
    QCOMPARE(f.grid()->columnWidth(2), 360);
    QCOMPARE(f.grid()->columnWidth(3), 285);
}

void TstOperatingDataTab::otherTabsPagesNameTheirControls()
{
    Fixture f;
    QVERIFY(f.setUp({"11000"}));
    struct Case { DeclarationKind::Id kind; QString label, year, del, imp, importHint; bool check; };
    const QList<Case> cases = {
        {DeclarationKind::B02, "labBANKNAME2", "seYYY4", "sbDel4", "sbENTERY4", "功能鍵-F5", false},
        {DeclarationKind::B03, "labBANKNAME3", "seYYY9", "sbDEL9", "sbENTERY9", "功能鍵-F5", false},
        {DeclarationKind::B04, "labBANKNAME4", "seYYY2", "sbDel2", "sbENTERY2", "功能鍵-F5", false},
        {DeclarationKind::B05, "labBANKNAME5", "seYYY3", "sbDel3", "sbEntery3", "", true},
    };
    for (const Case &c : cases) {
        DataTabPage page(f.shell, c.kind);
        page.setPeriod(115, 1);
        page.startState();
        QCOMPARE(page.findChild<QLabel *>(c.label)->text(), QStringLiteral("測試銀行"));
        QCOMPARE(page.findChild<PeriodSpinEdit *>(c.year)->editText(), QStringLiteral("115"));
        QAbstractButton *del = page.findChild<QAbstractButton *>(c.del);
        QVERIFY2(del, qPrintable(c.del));
        QCOMPARE(del->toolTip(), c.kind == DeclarationKind::B03 ? QString() : QStringLiteral("功能鍵-F4"));
        QCOMPARE(page.findChild<QAbstractButton *>(c.imp)->toolTip(), c.importHint);
        QCOMPARE(page.toolbar()->button(RecordToolbar::Check) != nullptr, c.check);
        // Until the tab is built every button of its page stays disabled.
        for (QAbstractButton *b : page.findChildren<QAbstractButton *>())
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
    }
    QCOMPARE(DeclarationKind::get(DeclarationKind::B05).importNumber(), 5);
}

void TstOperatingDataTab::startStateAndPeriodRule()
{
    Fixture f;
    QVERIFY(f.setUpMonth({"11000", "12000"}));
    QCOMPARE(f.year()->editText(), QStringLiteral("115"));
    QCOMPARE(f.month()->editText(), QStringLiteral("1"));
    QCOMPARE(f.enabledButtons(), BrowseStart);

    QVERIFY(f.click("sbQuery"));
    QCOMPARE(f.ds().recordCount(), 2);
    QCOMPARE(f.enabledButtons(), BrowseWithRows);

    // Typing a year of 1234 clamps it to 999 and closes the grid.
    f.year()->setFocus();
    f.year()->selectAll();
    QTest::keyClicks(f.year(), "1234");
    QCOMPARE(f.year()->editText(), QStringLiteral("999"));
    QCOMPARE(f.year()->number(), 999);
    QVERIFY(!f.ds().isOpen());
    QCOMPARE(f.grid()->model()->rowCount(), 0);
    QCOMPARE(f.enabledButtons(), BrowseStart);

    f.year()->setEditText("115");
    QVERIFY(f.click("sbQuery"));
    QVERIFY(f.ds().isOpen());
    f.month()->selectAll();
    QTest::keyClicks(f.month(), "15");
    QCOMPARE(f.month()->editText(), QStringLiteral("12"));
    QVERIFY(!f.ds().isOpen());

    // Empty or not a whole number: nothing happens, the loaded rows stay.
    f.month()->setEditText("1");
    QVERIFY(f.click("sbQuery"));
    f.month()->setEditText("");
    QVERIFY(f.ds().isOpen());
    f.month()->setEditText("1x");
    QVERIFY(f.ds().isOpen());
    QCOMPARE(f.ds().recordCount(), 2);
    // A letter is never typed into a spin edit.
    f.month()->setEditText("");
    QTest::keyClicks(f.month(), "a");
    QCOMPARE(f.month()->editText(), QString());
}

void TstOperatingDataTab::queryWithZeroPeriodListsEveryMonthInOrder()
{
    Fixture f;
    QVERIFY(f.setUp({"11000", "12000", "13000"}));
    // Stored out of order, another institution, and an account CACNO lacks.
    QVERIFY(f.addMonth(115, 2, {"13000", "11000"}, 100));
    QVERIFY(f.addMonth(114, 12, {"12000", "11000", "13000"}, 10));
    QVERIFY(f.addMonth(115, 1, {"11000"}, 50));
    QVERIFY(f.addMonth(115, 1, {"11000", "12000"}, 0, "9990000"));
    QVERIFY(f.addMonth(115, 3, {"99999"}, 0));

    f.period("0", "0");
    QVERIFY(f.click("sbQuery"));
    QCOMPARE(f.column("M_YEAR"), QStringList({"114", "114", "114", "115", "115", "115"}));
    QCOMPARE(f.column("M_MONTH"), QStringList({"12", "12", "12", "1", "2", "2"}));
    QCOMPARE(f.column("SERIAL"), QStringList({"1", "2", "3", "1", "1", "2"}));
    QCOMPARE(f.column("ACC_CODE"), QStringList({"12000", "11000", "13000", "11000", "13000", "11000"}));
    QCOMPARE(f.cell(0, 2), QStringLiteral("12000  科目12000"));
    QCOMPARE(f.cell(0, 3), QStringLiteral("11"));
    QVERIFY(f.messages.records().isEmpty());
    QVERIFY(f.grid()->hasFocus());

    // Only the month 0: every month of that year.
    f.period("115", "0");
    QVERIFY(f.click("sbQuery"));
    QCOMPARE(f.column("M_MONTH"), QStringList({"1", "2", "2"}));

    // After Clear both spin edits are empty and Query lists every period.
    QVERIFY(f.click("sbClear"));
    QCOMPARE(f.year()->editText(), QString());
    QCOMPARE(f.month()->editText(), QString());
    QVERIFY(!f.ds().isOpen());
    QVERIFY(f.click("sbQuery"));
    QCOMPARE(f.year()->editText(), QStringLiteral("0"));
    QCOMPARE(f.month()->editText(), QStringLiteral("0"));
    QCOMPARE(f.ds().recordCount(), 6);
}

void TstOperatingDataTab::queryWithoutRowsWarns()
{
    Fixture f;
    QVERIFY(f.setUp({"11000"}));
    QVERIFY(f.click("sbQuery"));
    QVERIFY(f.said(Icon::Warning, QStringLiteral("查無任何符合資料!!!")));
    QCOMPARE(f.enabledButtons(), BrowseStart);
    QCOMPARE(f.shell.status, QStringLiteral("Ready"));
}

void TstOperatingDataTab::addOnEmptyMonthCreatesOneRowPerAccount()
{
    Fixture f;
    QVERIFY(f.setUp({"30000", "10000", "20000"}));
    QVERIFY(f.click("sbAdd"));
    QCOMPARE(f.shell.mode, EditMode::Add);
    QCOMPARE(f.shell.status, QStringLiteral("新增"));
    QCOMPARE(f.column("ACC_CODE"), QStringList({"30000", "10000", "20000"}));
    QCOMPARE(f.column("SERIAL"), QStringList({"1", "2", "3"}));
    QCOMPARE(f.column("M_YEAR"), QStringList({"115", "115", "115"}));
    QCOMPARE(f.column("BANK_CODE"), QStringList({Bank, Bank, Bank}));
    QCOMPARE(f.cell(1, 2), QStringLiteral("10000  科目10000"));
    QCOMPARE(f.cell(0, 3), QString());   // zero shows as an empty cell
    QCOMPARE(f.db.count("MPBANK"), 0);   // nothing written until Save

    // Editing: only the amount column, the period and the button tabs locked.
    QCOMPARE(f.enabledButtons(), Editing);
    QVERIFY(!f.year()->isEnabled());
    QVERIFY(!f.month()->isEnabled());
    QVERIFY(!f.shell.buttonTabs);
    QVERIFY(f.ds().flags(f.ds().index(0, 3)) & Qt::ItemIsEditable);
    QVERIFY(!(f.ds().flags(f.ds().index(0, 2)) & Qt::ItemIsEditable));
    QCOMPARE(f.grid()->currentIndex(), f.ds().index(0, 3));
    QVERIFY(f.editor());

    QVERIFY(f.typeAmount(0, "1234.5"));
    QVERIFY(f.typeAmount(2, "-7"));
    QCOMPARE(f.cell(0, 3), QStringLiteral("1,234.5"));
    QCOMPARE(f.db.count("MPBANK"), 0);

    QVERIFY(f.click("sbPost"));
    QVERIFY(f.said(Icon::Information, QStringLiteral("存檔成功!!!")));
    QCOMPARE(f.shell.mode, EditMode::Browse);
    QCOMPARE(f.shell.status, QStringLiteral("Ready"));
    QVERIFY(f.shell.buttonTabs);
    QCOMPARE(f.db.count("MPBANK"), 3);
    QCOMPARE(f.db.scalar("select AMT from MPBANK where ACC_CODE = '30000'").toDouble(), 1234.5);
    QCOMPARE(f.db.scalar("select AMT from MPBANK where ACC_CODE = '20000'").toDouble(), -7.0);
    QCOMPARE(f.db.scalar("select SERIAL from MPBANK where ACC_CODE = '20000'").toInt(), 3);
    QVERIFY(!(f.ds().flags(f.ds().index(0, 3)) & Qt::ItemIsEditable));
    QVERIFY(!f.ds().hasPendingUpdates());
}

void TstOperatingDataTab::addOnExistingMonthNeverCreatesRows()
{
    Fixture f;
    QVERIFY(f.setUp({"11000", "12000", "13000"}));
    QVERIFY(f.addMonth(115, 1, {"11000", "12000"}));

    f.messages.answerNext(false);
    QVERIFY(f.click("sbAdd"));
    QVERIFY(f.said(Icon::Question, QStringLiteral("資料已存在是否確定修改!!!")));
    QCOMPARE(f.shell.mode, EditMode::Browse);
    QCOMPARE(f.ds().recordCount(), 2);
    QCOMPARE(f.enabledButtons(), BrowseWithRows);

    f.messages.answerNext(true);
    QVERIFY(f.click("sbAdd"));
    QCOMPARE(f.shell.mode, EditMode::Modify);
    QCOMPARE(f.shell.status, QStringLiteral("修改"));
    QCOMPARE(f.ds().recordCount(), 2);
    QVERIFY(!f.ds().hasPendingUpdates());
    QCOMPARE(f.grid()->currentIndex().column(), 3);
    QVERIFY(f.click("sbPost"));
    QCOMPARE(f.db.count("MPBANK"), 2);
}

void TstOperatingDataTab::addModifyDeleteRefuseZeroPeriod()
{
    Fixture f;
    QVERIFY(f.setUpMonth({"11000"}));
    f.period("", "1");
    QVERIFY(f.click("sbAdd"));
    QCOMPARE(f.messages.lastText(), QStringLiteral("請輸入正確之申報年月資料!!!"));
    QVERIFY(f.said(Icon::Warning, QStringLiteral("請輸入正確之申報年月資料!!!")));
    QCOMPARE(f.year()->editText(), QStringLiteral("0"));
    QCOMPARE(f.shell.mode, EditMode::Browse);
    QVERIFY(!f.ds().isOpen());

    f.messages.clear();
    QVERIFY(f.click("sbQuery"));      // year 0, month 1: the month of every year
    QCOMPARE(f.ds().recordCount(), 1);
    QVERIFY(f.click("sbEdit"));
    QCOMPARE(f.messages.lastText(), QStringLiteral("請輸入正確之申報年月資料!!!"));
    QVERIFY(f.click("sbDel"));
    QVERIFY(f.said(Icon::Warning, QStringLiteral("請輸入欲刪除之年月資料!!!")));
    QCOMPARE(f.db.count("MPBANK"), 1);
    QCOMPARE(f.shell.mode, EditMode::Browse);
}

void TstOperatingDataTab::modifyAndDeleteLeaveAnEmptiedPeriodAndTheGridAlone()
{
    Fixture f;
    QVERIFY(f.setUpLoaded({"11000", "12000"}));

    // An emptied spin edit changes nothing by itself; Modify and Delete then
    // refuse the period without writing a 0 into it, so the loaded month stays.
    f.month()->setEditText("");
    QVERIFY(f.click("sbEdit"));
    QCOMPARE(f.messages.texts(), QStringList({"請輸入正確之申報年月資料!!!"}));
    QVERIFY(f.year()->hasFocus());
    QCOMPARE(f.month()->editText(), QString());
    QVERIFY(f.ds().isOpen());
    QCOMPARE(f.ds().recordCount(), 2);
    QCOMPARE(f.enabledButtons(), BrowseWithRows);

    f.messages.clear();
    f.grid()->setFocus();
    QVERIFY(f.click("sbDel"));
    QCOMPARE(f.messages.texts(), QStringList({"請輸入欲刪除之年月資料!!!"}));
    QVERIFY(f.year()->hasFocus());
    QCOMPARE(f.month()->editText(), QString());
    QVERIFY(f.ds().isOpen());
    QCOMPARE(f.enabledButtons(), BrowseWithRows);
    QCOMPARE(f.shell.status, QStringLiteral("Ready"));
    QCOMPARE(f.db.count("MPBANK"), 2);

    // Add reads the empty month as 0 and says so in the spin edit.
    f.messages.clear();
    QVERIFY(f.click("sbAdd"));
    QCOMPARE(f.messages.texts(), QStringList({"請輸入正確之申報年月資料!!!"}));
    QCOMPARE(f.month()->editText(), QStringLiteral("0"));
    QVERIFY(f.year()->hasFocus());
}

void TstOperatingDataTab::modifyOnEmptyMonthOffersTheAddRows()
{
    Fixture f;
    QVERIFY(f.setUp({"20000", "10000"}));
    QVERIFY(f.addMonth(115, 1, {"10000"}));
    // After the month is deleted the buttons are left as they were, so Modify
    // meets an empty month.
    QVERIFY(f.click("sbQuery"));
    f.messages.answerNext(true);
    QVERIFY(f.click("sbDel"));
    QCOMPARE(f.db.count("MPBANK"), 0);

    f.messages.clear();
    f.messages.answerNext(false);
    QVERIFY(f.click("sbEdit"));
    QCOMPARE(f.messages.texts(), QStringList({"查無此資料，請問是否要新增 ???"}));
    QCOMPARE(f.shell.mode, EditMode::Browse);
    QCOMPARE(f.ds().recordCount(), 0);

    f.messages.answerNext(true);
    QVERIFY(f.click("sbEdit"));
    QCOMPARE(f.shell.mode, EditMode::Add);
    QCOMPARE(f.shell.status, QStringLiteral("新增"));
    QCOMPARE(f.column("ACC_CODE"), QStringList({"20000", "10000"}));
    QCOMPARE(f.column("SERIAL"), QStringList({"1", "2"}));
    QCOMPARE(f.column("AMT"), QStringList({"0", "0"}));
    QCOMPARE(f.ds().currentRow(), 0);
    QCOMPARE(f.grid()->currentIndex(), f.ds().index(0, 3));
    QCOMPARE(f.db.count("MPBANK"), 0);
    QVERIFY(f.click("sbPost"));
    QCOMPARE(f.db.count("MPBANK"), 2);
}

void TstOperatingDataTab::failingSaveKeepsCacheRowsAndMode()
{
    Fixture f;
    QVERIFY(f.setUp({"10000", "20000", "30000"}));
    QVERIFY(f.db.exec("CREATE TRIGGER boom BEFORE INSERT ON MPBANK WHEN NEW.ACC_CODE = '30000' "
                      "BEGIN SELECT RAISE(ABORT, 'boom'); END"));
    QVERIFY(f.click("sbAdd"));
    QVERIFY(f.typeAmount(0, "5"));
    QVERIFY(f.typeAmount(1, "6"));
    QVERIFY(f.click("sbPost"));

    // The engine's message, nothing written, the rows and the mode as they were.
    QCOMPARE(f.messages.records().size(), 1);
    QCOMPARE(f.messages.records().last().icon, Icon::Critical);
    QCOMPARE(f.messages.records().last().caption, QStringLiteral("Velqora"));
    QVERIFY2(f.messages.lastText().contains("boom"), qPrintable(f.messages.lastText()));
    QCOMPARE(f.db.count("MPBANK"), 0);
    QCOMPARE(f.shell.mode, EditMode::Add);
    QCOMPARE(f.shell.status, QStringLiteral("新增"));
    QCOMPARE(f.enabledButtons(), Editing);
    QCOMPARE(f.ds().recordCount(), 3);
    QCOMPARE(f.column("AMT"), QStringList({"5", "6", "0"}));
    QVERIFY(f.ds().hasPendingUpdates());
    QVERIFY(f.ds().flags(f.ds().index(0, 3)) & Qt::ItemIsEditable);

    // Mended, the same cache saves in full.
    QVERIFY(f.db.exec("DROP TRIGGER boom"));
    QVERIFY(f.click("sbPost"));
    QCOMPARE(f.messages.lastText(), QStringLiteral("存檔成功!!!"));
    QCOMPARE(f.db.count("MPBANK"), 3);
    QCOMPARE(f.db.scalar("select sum(AMT) from MPBANK").toDouble(), 11.0);
}

void TstOperatingDataTab::failingModifySaveWritesNothing()
{
    Fixture f;
    QVERIFY(f.setUpMonth({"10000", "20000", "30000"}));   // AMT 1, 2, 3
    QVERIFY(f.db.exec("CREATE TRIGGER boom BEFORE UPDATE ON MPBANK WHEN NEW.ACC_CODE = '30000' "
                      "BEGIN SELECT RAISE(ABORT, 'boom'); END"));
    QVERIFY(f.click("sbQuery"));
    QVERIFY(f.click("sbEdit"));
    QCOMPARE(f.shell.mode, EditMode::Modify);
    QVERIFY(f.typeAmount(0, "100"));
    QVERIFY(f.typeAmount(2, "300"));
    QVERIFY(f.click("sbPost"));
    QVERIFY(f.messages.lastText().contains("boom"));
    // The first row's update was rolled back with the failing one.
    QCOMPARE(f.db.scalar("select AMT from MPBANK where ACC_CODE = '10000'").toDouble(), 1.0);
    QCOMPARE(f.shell.mode, EditMode::Modify);
    QCOMPARE(f.column("AMT"), QStringList({"100", "2", "300"}));
}

void TstOperatingDataTab::saveWithNothingChangedStillSaysSuccess()
{
    Fixture f;
    QVERIFY(f.setUpLoaded({"10000"}));
    QVERIFY(f.click("sbEdit"));
    QVERIFY(f.click("sbPost"));
    QCOMPARE(f.messages.texts(), QStringList({"存檔成功!!!"}));
    QCOMPARE(f.shell.mode, EditMode::Browse);
    QCOMPARE(f.enabledButtons(), BrowseWithRows);
}

void TstOperatingDataTab::discardAsksAndRestoresTheLoadedRows()
{
    Fixture f;
    QVERIFY(f.setUpLoaded({"10000", "20000"}));
    QVERIFY(f.click("sbEdit"));
    QVERIFY(f.typeAmount(0, "99"));

    f.messages.answerNext(false);
    QVERIFY(f.click("sbCancel"));
    QVERIFY(f.said(Icon::Question, QStringLiteral("是否確定放棄!!!")));
    QCOMPARE(f.shell.mode, EditMode::Modify);
    QCOMPARE(f.cell(0, 3), QStringLiteral("99"));

    f.messages.answerNext(true);
    QVERIFY(f.click("sbCancel"));
    QCOMPARE(f.shell.mode, EditMode::Browse);
    QCOMPARE(f.cell(0, 3), QStringLiteral("1"));
    QVERIFY(!f.ds().hasPendingUpdates());
    QCOMPARE(f.enabledButtons(), BrowseWithRows);
    QCOMPARE(f.db.scalar("select AMT from MPBANK where ACC_CODE = '10000'").toDouble(), 1.0);

    // Discarding a new month leaves it unwritten and the grid empty.
    f.month()->setEditText("2");
    QVERIFY(f.click("sbAdd"));
    QCOMPARE(f.ds().recordCount(), 2);
    f.messages.answerNext(true);
    QVERIFY(f.click("sbCancel"));
    QCOMPARE(f.ds().recordCount(), 0);
    QCOMPARE(f.db.count("MPBANK", "M_MONTH = 2"), 0);
}

QTEST_MAIN(TstOperatingDataTab)
#include "tst_operating_data_tab.moc"
