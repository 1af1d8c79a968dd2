// The row scheme the three row tabs share, each tab a row of the tables: a run
// of rows keyed from the keyboard, what Save and the close refuse or write, the
// duplicate guard, Enter in the last column, Delete and the period rule.
#include "db/cached_dataset.h"
#include "tests/support/row_tab_fixture.h"
#include "ui/period_spin_edit.h"

#include <QAbstractButton>
#include <QtTest>

namespace {

using Fixture = RowTabFixture;
using B = RecordToolbar::Button;
using Kind = DeclarationKind::Id;

// What differs between the tabs: only data.
struct Case
{
    QStringList row;        // typed from the first code column, Enter after the last: a valid row
    QVariantMap stored;     // a stored row with the key of `row`
    QString codeField;      // the first code column's field, and another of its codes
    QString otherCode;
    QString valueField;     // the number in the last column
    QList<Kind> otherPages; // the data tabs disabled while editing
};

const Case &caseOf(int kind)
{
    static const QHash<int, Case> cases{
        {Kind::B02, {{"9950001", "3.5\n"}, {{"BANK_CODE1", "9950001"}, {"M_RATE", 5}}, "BANK_CODE1", "9950002",
                     "M_RATE", {Kind::B01, Kind::B03, Kind::B04, Kind::B05}}},
        {Kind::B03, {{"1", "1", "01", "1", "1.5\n"},
                     {{"FLAG1", "1"}, {"FLAG2", "1"}, {"FLAG3", "01"}, {"FLAG4", "1"}, {"RATE", 2}}, "FLAG1", "2",
                     "RATE", {Kind::B01, Kind::B02, Kind::B04, Kind::B05}}},
        {Kind::B04, {{"0", "0", "01", "12", "1500\n"},
                     {{"FLAG1", "0"}, {"FLAG2", "0"}, {"FLAG3", "01"}, {"AMT", 5}, {"AMT1", 100}}, "FLAG1", "1",
                     "AMT1", {Kind::B01, Kind::B02, Kind::B03, Kind::B05}}},
    };
    return *cases.constFind(kind);
}

void kindRows()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("overdue ratios") << int(Kind::B02);
    QTest::newRow("bills rates") << int(Kind::B03);
    QTest::newRow("bills trading") << int(Kind::B04);
}

const QString Missing = QStringLiteral("warning:輸入資料格式有誤,無法存檔,請查明!!!");

} // namespace

class TstRowTab : public QObject
{
    Q_OBJECT
private slots:
    void keyboardRunAddsRowsUntilDiscard_data() { kindRows(); }
    void keyboardRunAddsRowsUntilDiscard();
    void saveOrCloseRefusesOrWrites_data();
    void saveOrCloseRefusesOrWrites();
    void onlyAChangedKeyIsCheckedForDuplicates_data() { kindRows(); }
    void onlyAChangedKeyIsCheckedForDuplicates();
    void deleteThenPeriodChange_data() { kindRows(); }
    void deleteThenPeriodChange();
};

void TstRowTab::keyboardRunAddsRowsUntilDiscard()
{
    QFETCH(int, kind);
    const Case &c = caseOf(kind);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    f.tab->monthEdit()->setEditText("0");   // a period with a 0: today's, 115/1
    f.tab->yearEdit()->setEditText("114");
    QVERIFY(f.click(B::Add));
    QCOMPARE(f.ds().value("M_YEAR").toInt(), 115);
    QCOMPARE(f.shell.status, QStringLiteral("新增"));
    QCOMPARE(f.shell.disabledPages, c.otherPages);
    QVERIFY(!f.shell.buttonTabs && f.button(B::Post)->isEnabled() && !f.button(B::Query)->isEnabled());

    QVERIFY(f.typeRow(c.row));
    QVERIFY(f.typeRow(QStringList{c.otherCode} + c.row.mid(1)));
    // Saved without a word; the next row is open on the same period, cursor on its first code.
    QCOMPARE(f.said(), QStringList());
    QCOMPARE(f.stored(), 2);
    QCOMPARE(f.ds().recordCount(), 3);
    QCOMPARE(f.ds().value("M_MONTH").toInt(), 1);
    QCOMPARE(f.column(), 2);
    QTest::keyClick(f.grid(), Qt::Key_Insert);   // never a row of its own
    QCOMPARE(f.ds().recordCount(), 3);

    f.messages.answerNext(true);
    QVERIFY(f.click(B::Cancel));
    QCOMPARE(f.said(), QStringList({"question:是否確定放棄!!!"}));
    QCOMPARE(f.ds().recordCount(), 2);
    QCOMPARE(f.stored(), 2);
    QCOMPARE(f.shell.mode, EditMode::Browse);
    QVERIFY(f.shell.disabledPages.isEmpty() && f.shell.buttonTabs);
}

void TstRowTab::saveOrCloseRefusesOrWrites_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("cells");   // typed from the first code column (see RowTabFixture::typeRow)
    QTest::addColumn<bool>("closing");        // then the window's close instead of 存檔
    QTest::addColumn<QString>("bank");        // the declaring institution's code, when not 995
    QTest::addColumn<QStringList>("said");
    QTest::addColumn<int>("stored");
    const int ratio = Kind::B02, rate = Kind::B03, trade = Kind::B04;
    const QStringList typed = {"9950001", "3.5"};
    const QString below3 = QStringLiteral("warning:此利率低於百分之三,不符合條件,請查明再行輸入!!!");
    QTest::newRow("no unit") << ratio << QStringList() << false << "" << QStringList({"warning:無此銀行機構,請查明再行輸入!!!", Missing}) << 0;
    QTest::newRow("no market") << rate << QStringList() << false << "" << QStringList({"warning:無此市場別,請查明再行輸入!!!", Missing}) << 0;
    QTest::newRow("no direction") << trade << QStringList({"0", ""}) << false << "" << QStringList({"warning:無此I/O FLAG,請查明再行輸入!!!", Missing}) << 0;
    // Tab in the last column goes on to the year and the month.
    QTest::newRow("month 13") << ratio << typed + QStringList({"115", "13"}) << false << "" << QStringList({Missing}) << 0;
    QTest::newRow("month 12") << ratio << typed + QStringList({"115", "12"}) << false << "" << QStringList() << 1;
    QTest::newRow("year 0") << ratio << typed + QStringList({"0"}) << false << "" << QStringList({Missing}) << 0;
    QTest::newRow("ratio 2.999 warned, saved") << ratio << QStringList({"9950001", "2.999"}) << false << "" << QStringList({below3}) << 1;
    QTest::newRow("ratio 3 saved") << ratio << QStringList({"9950001", "3"}) << false << "" << QStringList() << 1;
    QTest::newRow("no ratio warned, saved") << ratio << QStringList({"9950001", ""}) << false << "" << QStringList({below3}) << 1;
    QTest::newRow("no rate") << rate << QStringList({"1", "1", "01", "1", ""}) << false << "" << QStringList() << 1;
    QTest::newRow("no count, no amount") << trade << QStringList({"1", "2", "05", "", ""}) << false << "" << QStringList() << 1;
    // A code the table cannot hold (8 characters for 7): nothing written, the engine's word said.
    QTest::newRow("institution too wide") << trade << QStringList({"0", "0", "01", "12", "1500"}) << false
                                          << "99500001" << QStringList({"error:「BANK_CODE」超過 7 個位元組: 99500001"}) << 0;
    QTest::newRow("close saves a row being typed") << ratio << typed << true << "" << QStringList() << 1;
    QTest::newRow("close drops the empty next row") << rate << caseOf(rate).row << true << "" << QStringList() << 1;
    QTest::newRow("close refused by the unit") << ratio << QStringList({"9999999"}) << true << ""
                                               << QStringList({"warning:無此銀行機構,請查明再行輸入!!!", Missing}) << 0;
}

void TstRowTab::saveOrCloseRefusesOrWrites()
{
    QFETCH(int, kind);
    QFETCH(QStringList, cells);
    QFETCH(bool, closing);
    QFETCH(QString, bank);
    QFETCH(QStringList, said);
    QFETCH(int, stored);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    if (!bank.isEmpty())
        f.shell.bankCode = bank;
    QVERIFY(f.click(B::Add) && f.typeRow(cells));
    if (closing)
        QCOMPARE(f.tab->saveOnClose(), said.isEmpty());
    else
        QVERIFY(f.click(B::Post));
    QCOMPARE(f.said(), said);
    QCOMPARE(f.stored(), stored);
    const bool refused = !said.isEmpty() && (stored == 0);
    // A refused row stays in editing, in add mode; a closed tab is left in browse mode.
    QCOMPARE(f.shell.mode, refused || !closing ? EditMode::Add : EditMode::Browse);
    QCOMPARE(f.ds().state() == CachedDataset::State::Browse, closing && !refused);
}

void TstRowTab::onlyAChangedKeyIsCheckedForDuplicates()
{
    QFETCH(int, kind);
    const Case &c = caseOf(kind);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    // The other code is taken, by another institution; the tab lists only its own row.
    QVariantMap other = c.stored;
    other.insert(c.codeField, c.otherCode);
    other.insert("BANK_CODE", Fixture::OtherBank);
    QVERIFY(f.store(c.stored) && f.store(other));
    QVERIFY(f.click(B::Query) && f.click(B::Edit));

    // Only the value: the row keeps its key, which the check would find stored.
    // Enter in the last column saves only in add mode: here it goes to the year.
    f.clickColumn(f.ds().columns().size() - 1);
    QVERIFY(f.typeRow({"6\n"}));
    QCOMPARE(f.column(), 0);
    QCOMPARE(f.stored(c.valueField + " = 6"), 0);
    QVERIFY(f.click(B::Post));
    QCOMPARE(f.said(), QStringList({"information:存檔成功!!!"}));
    QCOMPARE(f.stored(c.valueField + " = 6"), 1);

    // The only row, at its begin: Modify waits for the next Query.
    f.messages.clear();
    QVERIFY(!f.button(B::Edit)->isEnabled());
    QVERIFY(f.click(B::Query) && f.click(B::Edit));
    f.clickColumn(2);
    QVERIFY(f.typeRow({c.otherCode}));
    QVERIFY(f.click(B::Post));
    QCOMPARE(f.said(), QStringList({"warning:資料重覆!!!"}));
    QCOMPARE(f.shell.mode, EditMode::Modify);
    QCOMPARE(f.stored(QStringLiteral("%1 = '%2'").arg(c.codeField, c.otherCode)), 1);
}

void TstRowTab::deleteThenPeriodChange()
{
    QFETCH(int, kind);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)) && f.store(caseOf(kind).stored) && f.click(B::Query));
    f.messages.answerNext(false);
    QVERIFY(f.click(B::Del));
    QCOMPARE(f.shell.status, QStringLiteral("刪除"));
    QCOMPARE(f.stored(), 1);
    f.messages.answerNext(true);
    QVERIFY(f.click(B::Del));
    QCOMPARE(f.said(), QStringList({"confirm:確定要刪除嗎?", "confirm:確定要刪除嗎?", "information:刪除成功!!!"}));
    QCOMPARE(f.stored(), 0);
    QCOMPARE(f.shell.status, QStringLiteral("Ready"));

    // The ratio tab closes its rows as the period changes; the bills tabs keep
    // them until the next Query.
    f.messages.clear();
    f.tab->yearEdit()->setEditText("114");
    QCOMPARE(f.ds().isOpen(), kind != Kind::B02);
    QVERIFY(f.click(B::Query));
    QCOMPARE(f.said(), QStringList({"warning(Velqora<VELQ8>):查無任何符合資料!!!"}));
    for (B b : {B::First, B::Last, B::Prior, B::Next, B::Edit, B::Del, B::Post, B::Cancel})
        QVERIFY(!f.button(b)->isEnabled());
}

QTEST_MAIN(TstRowTab)
#include "tst_row_tab.moc"
