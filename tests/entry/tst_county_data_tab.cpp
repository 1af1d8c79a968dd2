// The county data tab at the edges of its contracts: the new month's order and
// its county column before and after Save, Add on a period of any institution,
// the four query statements, Modify, Discard and Delete on the rows it holds,
// the amounts a file can hold, the grid keys, the tab's own button states.
#include "db/cached_dataset.h"
#include "tests/support/month_tab_fixture.h"
#include "ui/period_spin_edit.h"
#include "ui/record_grid.h"

#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QtTest>

namespace {

using Fixture = MonthTabFixture;
using Icon = Messages::Icon;

// Counties and accounts deliberately out of code order in their tables.
const QStringList Counties{"C", "A", "B"};
const QStringList Accounts{"30000", "10000", "20000"};

const QStringList Editing{"sbPost3", "sbCancel3"};
const QStringList Loaded{"sbFirst3", "sbLast3", "sbPrior3", "sbNext3", "sbQuery3", "sbAdd3", "sbEdit3",
                         "sbDel3", "sbExit3", "sbClear3", "sbCheck3", "sbEntery3"};
const QStringList Empty{"sbQuery3", "sbAdd3", "sbExit3", "sbClear3", "sbEntery3"};

// The county tab with a check and an import to enable, so that every button's state shows.
bool countyTab(Fixture &f, const QStringList &counties = Counties, const QStringList &accounts = Accounts)
{
    MonthTabDescription d = CountyDataTab::description();
    d.check = [](MonthTab &) {};
    if (!f.setUpCounty(counties, accounts, d))
        return false;
    f.tab->setImportHook([] {});
    return true;
}

// "bank county account month" of every row the tab holds.
QStringList keys(Fixture &f)
{
    QStringList out;
    for (int r = 0; r < f.ds().recordCount(); ++r) {
        out << QStringList{f.ds().value(r, "BANK_CODE").toString(), f.ds().value(r, "HSIEN_ID").toString(),
                           f.ds().value(r, "ACC_CODE").toString(), f.ds().value(r, "M_MONTH").toString()}
                   .join(u' ');
    }
    return out;
}

} // namespace

class TstCountyDataTab : public QObject
{
    Q_OBJECT
private slots:
    void gridColumns_data();
    void gridColumns();
    void newMonthIsEveryCountyByEveryAccount();
    void addOnAPeriod_data();
    void addOnAPeriod();
    void queryByPeriod_data();
    void queryByPeriod();
    void modifyAndDiscardWorkOnTheRowsHeld();
    void deleteRemovesTheRowsHeldAtOnce();
    void amountTheFileCannotHoldIsRefused_data();
    void amountTheFileCannotHoldIsRefused();
    void gridKeys_data();
    void gridKeys();
};

void TstCountyDataTab::gridColumns_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("width");
    QTest::newRow("year") << 0 << "年" << 28;
    QTest::newRow("month") << 1 << "月" << 25;
    QTest::newRow("county") << 2 << "縣  市  名 稱" << 136;
    QTest::newRow("account") << 3 << "科        目        名        稱" << 324;
    QTest::newRow("amount") << 4 << "金        額" << 128;
}

void TstCountyDataTab::gridColumns()
{
    QFETCH(int, column);
    QFETCH(QString, title);
    QFETCH(int, width);
    Fixture f;
    QVERIFY(countyTab(f));
    QCOMPARE(f.grid()->objectName(), QStringLiteral("dbgeHMPBANK"));
    QCOMPARE(f.ds().columnCount(), 5);
    QCOMPARE(f.ds().headerData(column, Qt::Horizontal).toString(), title);
    QCOMPARE(f.grid()->columnWidth(column), width);
    // Only the amount is ever editable, and only while a month is edited.
    QVERIFY(f.addCountyMonth(115, 1, {"A"}, {"10000"}));
    QVERIFY(f.click("sbQuery3"));
    const QModelIndex cell = f.ds().index(0, column);
    QVERIFY(!(f.ds().flags(cell) & Qt::ItemIsEditable));
    QVERIFY(f.click("sbEdit3"));
    QCOMPARE(bool(f.ds().flags(cell) & Qt::ItemIsEditable), column == 4);
}

void TstCountyDataTab::newMonthIsEveryCountyByEveryAccount()
{
    Fixture f;
    QVERIFY(countyTab(f));
    QVERIFY(f.click("sbAdd3"));
    // Counties in CD01's stored order, accounts in code order, all zero, nothing written.
    QCOMPARE(f.column("HSIEN_ID"), QStringList({"C", "C", "C", "A", "A", "A", "B", "B", "B"}));
    QCOMPARE(f.column("ACC_CODE").mid(0, 3), QStringList({"10000", "20000", "30000"}));
    QCOMPARE(f.column("AMT") + f.column("BANK_CODE"), QStringList(9, "0") + QStringList(9, "995"));
    QCOMPARE(f.cell(0, 2) + u'|' + f.cell(0, 3), QStringLiteral("C 縣C|10000  科目10000"));
    QCOMPARE(f.db.count("HMPBANK"), 0);
    QVERIFY(f.year()->isEnabled() && f.year()->isReadOnly() && f.month()->isReadOnly());
    QCOMPARE(f.enabledButtons(), Editing);

    QVERIFY(f.typeAmount(0, "5"));
    QVERIFY(f.click("sbPost3"));
    QCOMPARE(f.messages.texts(), QStringList({"存檔成功!!!"}));
    QCOMPARE(f.db.scalar("SELECT group_concat(AMT) FROM HMPBANK").toString(), "5.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0");
    // Read again by the tab's query: by county code, two blanks before the name.
    QCOMPARE(f.column("HSIEN_ID"), QStringList({"A", "A", "A", "B", "B", "B", "C", "C", "C"}));
    QCOMPARE(f.cell(0, 2), QStringLiteral("A  縣A"));
    QVERIFY(!f.year()->isReadOnly());
    QCOMPARE(f.enabledButtons(), Loaded);
}

void TstCountyDataTab::addOnAPeriod_data()
{
    QTest::addColumn<QString>("storedBy");   // the institution of the stored month; empty: none
    QTest::addColumn<QString>("year");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("said");
    QTest::addColumn<EditMode>("mode");
    QTest::addColumn<int>("rows");            // -1: the month closed
    QTest::addColumn<QStringList>("buttons");
    const QStringList exists{"資料已存在是否確定修改!!!"};
    QTest::newRow("empty period") << "" << "115" << true << QStringList() << EditMode::Add << 9 << Editing;
    QTest::newRow("own month, Yes") << "995" << "115" << true << exists << EditMode::Modify << 9 << Editing;
    QTest::newRow("another institution's month, Yes")
        << "9990000" << "115" << true << exists << EditMode::Modify << 9 << Editing;
    QTest::newRow("another institution's month, No")
        << "9990000" << "115" << false << exists << EditMode::Browse << -1
        << QStringList({"sbQuery3", "sbAdd3", "sbExit3", "sbClear3"});
    QTest::newRow("year 0") << "" << "0" << true << QStringList({"請輸入正確之申報年月資料!!!"}) << EditMode::Browse
                            << -1 << Empty;
}

void TstCountyDataTab::addOnAPeriod()
{
    QFETCH(QString, storedBy);
    QFETCH(QString, year);
    QFETCH(bool, yes);
    QFETCH(QStringList, said);
    QFETCH(EditMode, mode);
    QFETCH(int, rows);
    QFETCH(QStringList, buttons);
    Fixture f;
    QVERIFY(countyTab(f));
    if (!storedBy.isEmpty())
        QVERIFY(f.addCountyMonth(115, 1, Counties, Accounts, 0, storedBy));
    f.year()->setEditText(year);
    f.messages.answerNext(yes);
    QVERIFY(f.click("sbAdd3"));
    QCOMPARE(f.messages.texts(), said);
    QCOMPARE(f.shell.mode, mode);
    QCOMPARE(f.ds().isOpen() ? f.ds().recordCount() : -1, rows);
    QCOMPARE(f.enabledButtons(), buttons);
    QCOMPARE(f.db.count("HMPBANK"), storedBy.isEmpty() ? 0 : 9);
    if (mode == EditMode::Modify)   // the stored rows, never new ones
        QCOMPARE(f.column("BANK_CODE"), QStringList(9, storedBy));
}

void TstCountyDataTab::queryByPeriod_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QStringList>("rows");   // "bank county account month", in order
    // A whole month leaves the institution out of its order; the others keep it.
    QTest::newRow("115/1") << "115" << "1" << QStringList({"9990000 A 10000 1", "995 B 10000 1", "995 B 20000 1"});
    QTest::newRow("115, every month") << "115" << "0"
                                      << QStringList({"995 B 10000 1", "995 B 20000 1", "9990000 A 10000 1",
                                                      "995 B 10000 2"});
    QTest::newRow("month 2 of every year (114 first)")
        << "0" << "2" << QStringList({"995 A 20000 2", "995 B 10000 2"});
    QTest::newRow("an empty month") << "115" << "3" << QStringList();
}

void TstCountyDataTab::queryByPeriod()
{
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QStringList, rows);
    Fixture f;
    QVERIFY(countyTab(f, {"A", "B"}, {"10000", "20000"}));
    QVERIFY(f.addCountyMonth(115, 1, {"B"}, {"10000", "20000"}));
    QVERIFY(f.addCountyMonth(115, 1, {"A"}, {"10000"}, 0, "9990000"));
    QVERIFY(f.addCountyMonth(115, 2, {"B"}, {"10000"}));
    QVERIFY(f.addCountyMonth(114, 2, {"A"}, {"20000"}));
    f.period(year, month);
    QVERIFY(f.click("sbQuery3"));
    QCOMPARE(keys(f), rows);
    QCOMPARE(f.messages.texts(), rows.isEmpty() ? QStringList({"查無任何符合資料!!!"}) : QStringList());
    QCOMPARE(f.enabledButtons(), rows.isEmpty() ? Empty : Loaded);
}

void TstCountyDataTab::modifyAndDiscardWorkOnTheRowsHeld()
{
    Fixture f;
    QVERIFY(countyTab(f));
    QVERIFY(f.addCountyMonth(115, 1, {"A"}, {"10000", "20000"}));
    QVERIFY(f.click("sbQuery3"));
    QSignalSpy reads(&f.ds(), &CachedDataset::opened);
    QVERIFY(f.click("sbEdit3"));
    QCOMPARE(reads.count(), 0);   // the rows held, not read again
    QCOMPARE(f.shell.mode, EditMode::Modify);
    QVERIFY(f.typeAmount(0, "7"));

    // No keeps the change, the mode and the read-only period.
    f.messages.answerNext(false);
    QVERIFY(f.click("sbCancel3"));
    QVERIFY(f.said(Icon::Question, QStringLiteral("是否確定放棄!!!")));
    QCOMPARE(f.column("AMT"), QStringList({"7", "2"}));
    QCOMPARE(f.shell.mode, EditMode::Modify);
    QVERIFY(f.year()->isReadOnly());
    QCOMPARE(f.enabledButtons(), Editing);

    f.messages.answerNext(true);
    QVERIFY(f.click("sbCancel3"));
    QCOMPARE(f.column("AMT"), QStringList({"1", "2"}));
    QVERIFY(!f.year()->isReadOnly());
    QCOMPARE(f.enabledButtons(), Loaded);
}

void TstCountyDataTab::deleteRemovesTheRowsHeldAtOnce()
{
    Fixture f;
    QVERIFY(countyTab(f));
    QVERIFY(f.addCountyMonth(115, 1, Counties, Accounts));
    QVERIFY(f.addCountyMonth(115, 1, {"A"}, {"99999"}, 0, "9990000"));   // not in HCACNO: not shown
    QVERIFY(f.addCountyMonth(115, 2, {"A"}, {"10000"}));
    QProgressBar *gauge = f.tab->findChild<QProgressBar *>("gdeDel1");
    QLabel *label = f.tab->findChild<QLabel *>("labDEL1");
    QVERIFY(gauge && label);
    QList<int> seen;
    QObject::connect(gauge, &QProgressBar::valueChanged, gauge, [&](int value) {
        if (gauge->isVisible() && label->text() == QStringLiteral("資料刪除中請稍候...."))
            seen << value;
    });
    QVERIFY(f.click("sbQuery3"));
    QCOMPARE(f.ds().recordCount(), 9);

    f.messages.answerNext(true);
    QVERIFY(f.click("sbDel3"));
    QVERIFY(f.said(Icon::Information, QStringLiteral("確定要刪除嗎?")));
    QCOMPARE(f.messages.lastText(), QStringLiteral("刪除成功!!!"));
    QCOMPARE(seen.last(), 88);   // 8 of 9 deleted; the last deletion leaves none
    QVERIFY(!gauge->isVisible());
    QCOMPARE(label->text(), QString());
    QCOMPARE(f.shell.status, QStringLiteral("Ready"));
    QCOMPARE(f.enabledButtons(), Empty);
    // The rows held, and only those, in one go.
    QCOMPARE(f.db.count("HMPBANK", "M_MONTH = 1 AND BANK_CODE = '995'"), 0);
    QCOMPARE(f.db.count("HMPBANK"), 2);
}

void TstCountyDataTab::amountTheFileCannotHoldIsRefused_data()
{
    QTest::addColumn<int>("row");          // 0: account 10000, 1: account 1000p
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");  // empty: kept
    QTest::newRow("14 characters") << 0 << "-9999999999999" << "";
    QTest::newRow("15 characters") << 0 << "-99999999999999"
                                   << "「金 額」數值 -99999999999999 超過申報檔欄位寬度 14";
    QTest::newRow("p account, 15 after x 1000")
        << 1 << "999999999999" << "「金 額」數值 999999999999 乘以 1000 後超過申報檔欄位寬度 14";
}

void TstCountyDataTab::amountTheFileCannotHoldIsRefused()
{
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    Fixture f;
    QVERIFY(countyTab(f, {"A"}, {"10000", "1000p"}));
    QVERIFY(f.click("sbAdd3"));
    QVERIFY(f.typeAmount(row, typed));
    QCOMPARE(f.messages.texts(), refusal.isEmpty() ? QStringList() : QStringList({refusal}));
    QCOMPARE(f.ds().value(row, "AMT").toDouble(), refusal.isEmpty() ? typed.toDouble() : 0.0);
}

void TstCountyDataTab::gridKeys_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("toRow");
    QTest::addColumn<int>("toColumn");
    QTest::newRow("Enter in the account name") << 3 << int(Qt::Key_Return) << 0 << 4;
    QTest::newRow("Tab in the county name") << 2 << int(Qt::Key_Tab) << 0 << 3;
    QTest::newRow("Enter in the amount") << 4 << int(Qt::Key_Return) << 1 << 4;
}

void TstCountyDataTab::gridKeys()
{
    QFETCH(int, column);
    QFETCH(int, key);
    QFETCH(int, toRow);
    QFETCH(int, toColumn);
    Fixture f;
    QVERIFY(countyTab(f));
    QVERIFY(f.click("sbAdd3"));
    f.grid()->setCurrentIndex(f.ds().index(0, column));
    QWidget *target = f.grid()->openEditor() ? f.grid()->openEditor() : f.grid();
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(f.grid()->currentIndex(), f.ds().index(toRow, toColumn));
    QCOMPARE(f.ds().recordCount(), 9);
}

QTEST_MAIN(TstCountyDataTab)
#include "tst_county_data_tab.moc"
