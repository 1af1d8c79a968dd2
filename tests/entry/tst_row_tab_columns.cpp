// What the three row tabs have of their own: the ratio tab's query filters, the
// code of each code column checked as the cursor leaves it, the ratio's warning
// below 3, the labels and pictures of stored values, the unit lists, and the
// cursor flags and guard of a row in editing.
#include "db/cached_dataset.h"
#include "entry/branch_selector.h"
#include "entry/overdue_ratio_tab.h"
#include "tests/support/row_tab_fixture.h"
#include "ui/period_spin_edit.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QtTest>

namespace {

using Fixture = RowTabFixture;
using B = RecordToolbar::Button;
using Kind = DeclarationKind::Id;

// One stored row of each table, every code its list's first.
QVariantMap storedRow(int kind)
{
    if (kind == Kind::B02)
        return {{"BANK_CODE1", "9950001"}, {"M_RATE", 5}};
    if (kind == Kind::B03)
        return {{"FLAG1", "1"}, {"FLAG2", "1"}, {"FLAG3", "01"}, {"FLAG4", "1"}, {"RATE", 1.5}};
    return {{"FLAG1", "0"}, {"FLAG2", "0"}, {"FLAG3", "01"}, {"AMT", 3}, {"AMT1", 100}};
}

BranchSelector *units(Fixture &f)
{
    return static_cast<OverdueRatioTab *>(f.tab.get())->branchSelector();
}

QStringList items(QComboBox *list)
{
    QStringList out;
    for (int i = 0; list && i < list->count(); ++i)
        out << list->itemText(i);
    return out;
}

const QString Missing = QStringLiteral("warning:輸入資料格式有誤,無法存檔,請查明!!!");

} // namespace

class TstRowTabColumns : public QObject
{
    Q_OBJECT
private slots:
    void ratioQueryFiltersAndOrders_data();
    void ratioQueryFiltersAndOrders();
    void codeCheckedAsTheColumnIsLeft_data();
    void codeCheckedAsTheColumnIsLeft();
    void storedValuesShown_data();
    void storedValuesShown();
    void unitListsAndTheSelector();
    void modifyWaitsForTheCursorToLeaveTheEnd();
};

void TstRowTabColumns::ratioQueryFiltersAndOrders_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QStringList>("listed");
    const QString a = "115/1 9950002", b = "115/1 9950001", c = "115/2 9950001", d = "114/1 9950003";
    QTest::newRow("every period, highest ratio first") << "0" << "0" << "" << QStringList({d, a, b, c});
    QTest::newRow("empty spin edits are 0") << "" << "" << "" << QStringList({d, a, b, c});
    QTest::newRow("a year") << "115" << "0" << "" << QStringList({a, b, c});
    QTest::newRow("a month of every year") << "0" << "1" << "" << QStringList({d, a, b});
    QTest::newRow("a period") << "115" << "1" << "" << QStringList({a, b});
    QTest::newRow("a period and a unit: one row") << "115" << "1" << "9950001" << QStringList({b});
    // Left open by the period rules: a unit narrows whatever period is given.
    QTest::newRow("a unit of every period") << "0" << "0" << "9950001" << QStringList({b, c});
    QTest::newRow("a unit of a month") << "0" << "1" << "9950003" << QStringList({d});
}

void TstRowTabColumns::ratioQueryFiltersAndOrders()
{
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, unit);
    QFETCH(QStringList, listed);
    Fixture f;
    QVERIFY(f.setUp(Kind::B02));
    QVERIFY(f.store({{"BANK_CODE1", "9950001"}, {"M_RATE", 5}}));
    QVERIFY(f.store({{"BANK_CODE1", "9950002"}, {"M_RATE", 7}}));
    QVERIFY(f.store({{"M_MONTH", 2}, {"BANK_CODE1", "9950001"}, {"M_RATE", 4}}));
    QVERIFY(f.store({{"M_YEAR", 114}, {"BANK_CODE1", "9950003"}, {"M_RATE", 6}}));
    // Never listed: another institution's row, and a unit BN01 does not hold.
    QVERIFY(f.store({{"BANK_CODE", Fixture::OtherBank}, {"BANK_CODE1", "9990001"}, {"M_RATE", 9}}));
    QVERIFY(f.store({{"BANK_CODE1", "9950009"}, {"M_RATE", 8}}));
    f.tab->yearEdit()->setEditText(year);
    f.tab->monthEdit()->setEditText(month);
    if (!unit.isEmpty())
        units(f)->setCurrentIndex(units(f)->findText(unit, Qt::MatchStartsWith));
    QVERIFY(f.click(B::Query));
    QStringList rows;
    for (int r = 0; r < f.ds().recordCount(); ++r)
        rows << f.ds().value(r, "M_YEAR").toString() + u'/' + f.ds().value(r, "M_MONTH").toString() + u' '
                    + f.ds().value(r, "BANK_CODE1").toString();
    QCOMPARE(rows, listed);
}

void TstRowTabColumns::codeCheckedAsTheColumnIsLeft_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("code");    // the code field afterwards; empty: refused, the stored code kept
    QTest::addColumn<QString>("shown");   // the cell afterwards; the warning when refused
    const int ratio = Kind::B02, rate = Kind::B03, trade = Kind::B04;
    QTest::newRow("bare unit code") << ratio << 2 << "9950002" << "9950002" << "9950002  台中分行";
    QTest::newRow("unit picked") << ratio << 2 << "9950003  高雄分行" << "9950003" << "9950003  高雄分行";
    QTest::newRow("another institution's unit") << ratio << 2 << "9990001" << "9990001" << "9990001  其他分行";
    QTest::newRow("declaring institution typed") << ratio << 2 << "995" << "995" << "995  測試銀行";
    QTest::newRow("short unit code and text") << ratio << 2 << "99500 台北" << "" << "無此銀行機構,請查明再行輸入!!!";
    QTest::newRow("no unit") << ratio << 2 << "" << "" << "無此銀行機構,請查明再行輸入!!!";
    QTest::newRow("market 2") << rate << 2 << "2" << "2" << "2-次級市場";
    QTest::newRow("market 3") << rate << 2 << "3" << "" << "無此市場別,請查明再行輸入!!!";
    QTest::newRow("term 12 is term 1") << rate << 3 << "12" << "1" << "1-一個月期";
    QTest::newRow("term 6") << rate << 3 << "6" << "" << "無此期限別,請查明再行輸入!!!";
    QTest::newRow("bill 9 is no code") << rate << 4 << "9" << "" << "無此票券別,請查明再行輸入!!!";
    QTest::newRow("bill 09") << rate << 4 << "09" << "09" << "09-金融債券";
    QTest::newRow("bill picked") << rate << 4 << "10-公司債" << "10" << "10-公司債";
    QTest::newRow("bill as read back, walked through") << rate << 4 << "09-金融俵券" << "09" << "09-金融債券";
    QTest::newRow("rate kind 4") << rate << 5 << "4" << "" << "無此利率別,請查明再行輸入!!!";
    QTest::newRow("range 3") << trade << 2 << "3" << "3" << "3-餘額(公司持有數)";
    QTest::newRow("range 4") << trade << 2 << "4" << "" << "無此範圍,請查明再行輸入!!!";
    QTest::newRow("direction 3") << trade << 3 << "3" << "" << "無此I/O FLAG,請查明再行輸入!!!";
    QTest::newRow("trade bill 00") << trade << 4 << "00" << "" << "無此票券別,請查明再行輸入!!!";
}

void TstRowTabColumns::codeCheckedAsTheColumnIsLeft()
{
    QFETCH(int, kind);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, code);
    QFETCH(QString, shown);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)) && f.store(storedRow(kind)));
    QVERIFY(f.click(B::Query) && f.click(B::Edit));
    f.clickColumn(column);
    const QString codeField = kind == Kind::B02 ? QStringLiteral("BANK_CODE1") : QStringLiteral("FLAG%1").arg(column - 1);
    const QString stored = f.ds().value(codeField).toString();
    const QString read = f.shown(0, column);
    QVERIFY(f.type(typed, Qt::Key_Tab));
    const bool refused = code.isEmpty();
    QCOMPARE(f.said(), refused ? QStringList{"warning:" + shown} : QStringList());
    QCOMPARE(f.ds().value(codeField).toString(), refused ? stored : code);
    QCOMPARE(f.shown(0, column), refused ? QString() : shown);
    QCOMPARE(f.column(), refused ? column - 1 : column + 1);
    if (refused) {
        // An emptied code cell is a missing value: Save refuses the row.
        QVERIFY(f.click(B::Post));
        QCOMPARE(f.said().last(), Missing);
        return;
    }
    // Discard takes the code back and the cell shows it as read.
    f.messages.answerNext(true);
    QVERIFY(f.click(B::Cancel));
    QCOMPARE(f.ds().value(0, codeField).toString(), stored);
    QCOMPARE(f.shown(0, column), read);
}

void TstRowTabColumns::storedValuesShown_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("shown");
    QTest::newRow("bill 09 read back") << int(Kind::B03) << "FLAG3" << QVariant("09") << 4 << "09-金融俵券";
    QTest::newRow("bill 9 read as a number") << int(Kind::B03) << "FLAG3" << QVariant("9") << 4 << "09-金融俵券";
    QTest::newRow("market 7: bare code") << int(Kind::B03) << "FLAG1" << QVariant("7") << 2 << "7          ";
    QTest::newRow("bill not a number: bare code") << int(Kind::B03) << "FLAG3" << QVariant("A1") << 4
                                                  << "A1                    ";
    QTest::newRow("range 0") << int(Kind::B04) << "FLAG1" << QVariant("0") << 2 << "0-初級市場";
    QTest::newRow("direction 0") << int(Kind::B04) << "FLAG2" << QVariant("0") << 3 << "0-買入";
    QTest::newRow("ratio without its zero") << int(Kind::B02) << "M_RATE" << QVariant(0.375) << 3 << ".375";
    QTest::newRow("ratio grouped") << int(Kind::B02) << "M_RATE" << QVariant(1234.5) << 3 << "1,234.5";
    QTest::newRow("ratio 0 is empty") << int(Kind::B02) << "M_RATE" << QVariant(0.0) << 3 << "";
    QTest::newRow("rate without its zero") << int(Kind::B03) << "RATE" << QVariant(0.5) << 6 << ".5";
    QTest::newRow("negative rate") << int(Kind::B03) << "RATE" << QVariant(-0.25) << 6 << "-.25";
    QTest::newRow("rate two decimals, no groups") << int(Kind::B03) << "RATE" << QVariant(1234.255) << 6 << "1234.26";
    QTest::newRow("count grouped") << int(Kind::B04) << "AMT" << QVariant(1234) << 5 << "1,234";
    QTest::newRow("amount grouped") << int(Kind::B04) << "AMT1" << QVariant(1234.5) << 6 << "1,234.5";
    QTest::newRow("amount keeps its zero") << int(Kind::B04) << "AMT1" << QVariant(0.5) << 6 << "0.5";
}

void TstRowTabColumns::storedValuesShown()
{
    QFETCH(int, kind);
    QFETCH(QString, field);
    QFETCH(QVariant, stored);
    QFETCH(int, column);
    QFETCH(QString, shown);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    QVariantMap row = storedRow(kind);
    row.insert(field, stored);
    QVERIFY(f.store(row) && f.click(B::Query));
    QCOMPARE(f.shown(0, column), shown);
    QVERIFY(!f.ds().hasPendingUpdates());   // labels are no change to write
    QVERIFY(f.ds().bof());
}

void TstRowTabColumns::unitListsAndTheSelector()
{
    Fixture f;
    QVERIFY(f.setUp(Kind::B02));
    // Codes longer than 3 characters; the pick list: every BN01 record but the first.
    const QStringList branches{"9950001  台北分行", "9950002  台中分行", "9950003  高雄分行", "9990000  其他銀行",
                               "9990001  其他分行"};
    QCOMPARE(items(units(f)), branches);
    QCOMPARE(units(f)->currentIndex(), -1);
    QVERIFY(f.store(storedRow(Kind::B02)) && f.click(B::Query));
    units(f)->setCurrentIndex(1);   // another unit closes the rows
    QVERIFY(!f.ds().isOpen() && !f.button(B::Edit)->isEnabled() && f.button(B::Query)->isEnabled());

    QVERIFY(f.click(B::Add));
    QCOMPARE(items(qobject_cast<QComboBox *>(f.grid()->openEditor())), branches);
    QVERIFY(!units(f)->isEnabled());   // choosing a unit would close the row being added
    f.messages.answerNext(true);
    QVERIFY(f.click(B::Cancel) && units(f)->isEnabled());
    QVERIFY(f.click(B::Clear));
    QCOMPARE(units(f)->currentIndex(), -1);
}

void TstRowTabColumns::modifyWaitsForTheCursorToLeaveTheEnd()
{
    Fixture f;
    QVERIFY(f.setUp(Kind::B02));
    for (const char *unit : {"9950001", "9950002", "9950003"})
        QVERIFY(f.store({{"BANK_CODE1", unit}, {"M_RATE", 5}}));
    QVERIFY(f.click(B::Query) && f.click(B::Last));
    QVERIFY(f.click(B::Edit) && f.click(B::Del));   // enabled since Query; the end flag stops them
    QCOMPARE(f.shell.mode, EditMode::Browse);
    QCOMPARE(f.said(), QStringList());
    QVERIFY(f.click(B::Prior) && f.click(B::Edit));
    QCOMPARE(f.shell.mode, EditMode::Modify);

    // The row in editing keeps the cursor: a click on another row does nothing.
    const QRect other = f.grid()->visualRect(f.ds().index(0, 2));
    QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, {}, other.center());
    QTRY_COMPARE(f.grid()->currentIndex().row(), 1);
    QCOMPARE(f.ds().currentRow(), 1);

    // In browse mode a click on another row sets the buttons by the flags.
    QVERIFY(f.click(B::Post) && f.click(B::Last));
    QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, {}, other.center());
    QCOMPARE(f.ds().currentRow(), 0);
    for (B b : {B::First, B::Last, B::Prior, B::Next, B::Edit, B::Del})
        QVERIFY(f.button(b)->isEnabled());
}

QTEST_MAIN(TstRowTabColumns)
#include "tst_row_tab_columns.moc"
