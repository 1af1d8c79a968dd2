// What the overdue ratio tab has of its own: the query's filters and order, the
// unit typed or picked, the ratio's warning below 3, the unit selector, and the
// cursor flags that guard Modify.
#include "db/cached_dataset.h"
#include "entry/branch_selector.h"
#include "entry/overdue_ratio_tab.h"
#include "tests/support/row_tab_fixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QtTest>

namespace {

using Fixture = RowTabFixture;
using Icon = Messages::Icon;
using B = RecordToolbar::Button;

BranchSelector *units(Fixture &f)
{
    return static_cast<OverdueRatioTab *>(f.tab.get())->branchSelector();
}

// A new row whose unit cell is being left with `typed`.
bool unitTyped(Fixture &f, const QString &typed)
{
    return f.setUp(DeclarationKind::B02) && f.click(B::Add) && f.type(typed, Qt::Key_Tab);
}

QStringList rows(Fixture &f)
{
    QStringList out;
    for (int r = 0; r < f.ds().recordCount(); ++r) {
        out << QStringLiteral("%1/%2 %3")
                   .arg(f.ds().value(r, "M_YEAR").toInt())
                   .arg(f.ds().value(r, "M_MONTH").toInt())
                   .arg(f.ds().value(r, "BANK_CODE1").toString());
    }
    return out;
}

} // namespace

class TstOverdueRatioTab : public QObject
{
    Q_OBJECT
private slots:
    void queryFiltersAndOrders_data();
    void queryFiltersAndOrders();
    void unitTypedOrPicked_data();
    void unitTypedOrPicked();
    void ratioBelowThreeIsWarnedAndKept_data();
    void ratioBelowThreeIsWarnedAndKept();
    void pickListAndSelectorListTheUnits();
    void modifyWaitsForTheCursorToLeaveTheEnd();
};

void TstOverdueRatioTab::queryFiltersAndOrders_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QStringList>("listed");
    const QString a = "115/1 9950002", b = "115/1 9950001", c = "115/2 9950001", d = "114/1 9950003";
    QTest::newRow("every period, highest ratio first") << "0" << "0" << "" << QStringList({d, a, b, c});
    QTest::newRow("after Clear: empty is 0") << "" << "" << "" << QStringList({d, a, b, c});
    QTest::newRow("a year") << "115" << "0" << "" << QStringList({a, b, c});
    QTest::newRow("a month of every year") << "0" << "1" << "" << QStringList({d, a, b});
    QTest::newRow("a period") << "115" << "1" << "" << QStringList({a, b});
    QTest::newRow("a period and a unit: one row") << "115" << "1" << "9950001" << QStringList({b});
    // Left open by the period rules: a unit narrows whatever period is given.
    QTest::newRow("a unit of every period") << "0" << "0" << "9950001" << QStringList({b, c});
    QTest::newRow("a unit of a year") << "115" << "0" << "9950001" << QStringList({b, c});
    QTest::newRow("a unit of a month") << "0" << "1" << "9950003" << QStringList({d});
}

void TstOverdueRatioTab::queryFiltersAndOrders()
{
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, unit);
    QFETCH(QStringList, listed);
    Fixture f;
    QVERIFY(f.setUp(DeclarationKind::B02));
    QVERIFY(f.store({{"BANK_CODE1", "9950001"}, {"M_RATE", 5}}));
    QVERIFY(f.store({{"BANK_CODE1", "9950002"}, {"M_RATE", 7}}));
    QVERIFY(f.store({{"M_MONTH", 2}, {"BANK_CODE1", "9950001"}, {"M_RATE", 4}}));
    QVERIFY(f.store({{"M_YEAR", 114}, {"BANK_CODE1", "9950003"}, {"M_RATE", 6}}));
    // Never listed: another institution's row, and a unit BN01 does not hold.
    QVERIFY(f.store({{"BANK_CODE", Fixture::OtherBank}, {"BANK_CODE1", "9990001"}, {"M_RATE", 9}}));
    QVERIFY(f.store({{"BANK_CODE1", "9950009"}, {"M_RATE", 8}}));
    f.period(year, month);
    if (!unit.isEmpty())
        units(f)->setCurrentIndex(units(f)->findText(unit, Qt::MatchStartsWith));
    QVERIFY(f.click(B::Query));
    QCOMPARE(rows(f), listed);
    QVERIFY(f.messages.records().isEmpty());
}

void TstOverdueRatioTab::unitTypedOrPicked_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("cell");   // empty: refused, the cursor back to the month
    QTest::newRow("bare 7-character code") << "9950001" << "9950001  台北分行";
    QTest::newRow("picked item") << "9950002  台中分行" << "9950002  台中分行";
    QTest::newRow("code followed by anything") << "9950003xyz" << "9950003  高雄分行";
    QTest::newRow("another institution's unit") << "9990001" << "9990001  其他分行";
    // Not offered by the pick list, but a BN01 record all the same.
    QTest::newRow("the declaring institution typed") << "995" << "995  測試銀行";
    QTest::newRow("short code and more text") << "99500 台北" << "";
    QTest::newRow("nothing") << "" << "";
}

void TstOverdueRatioTab::unitTypedOrPicked()
{
    QFETCH(QString, typed);
    QFETCH(QString, cell);
    Fixture f;
    QVERIFY(unitTyped(f, typed));
    QCOMPARE(f.ds().value("BANK_NAME").toString(), cell);
    QCOMPARE(f.ds().value("BANK_CODE1").toString(), cell.section(u' ', 0, 0));
    if (cell.isEmpty()) {
        QCOMPARE(f.messages.texts(), QStringList({"無此銀行機構,請查明再行輸入!!!"}));
        QVERIFY(f.said(Icon::Warning, "無此銀行機構,請查明再行輸入!!!"));
        QCOMPARE(f.column(), 1);
    } else {
        QVERIFY(f.messages.records().isEmpty());
        QCOMPARE(f.column(), 3);
    }
}

void TstOverdueRatioTab::ratioBelowThreeIsWarnedAndKept_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("warned");
    QTest::newRow("2.999") << "2.999" << true;
    QTest::newRow("exactly 3") << "3" << false;
    QTest::newRow("3.001") << "3.001" << false;
    QTest::newRow("empty counts as 0") << "" << true;
}

void TstOverdueRatioTab::ratioBelowThreeIsWarnedAndKept()
{
    QFETCH(QString, typed);
    QFETCH(bool, warned);
    Fixture f;
    QVERIFY(unitTyped(f, "9950001"));
    QVERIFY(f.type(typed, Qt::Key_Tab));
    const QStringList warning{"此利率低於百分之三,不符合條件,請查明再行輸入!!!"};
    QCOMPARE(f.messages.texts(), warned ? warning : QStringList());
    QCOMPARE(f.column(), 0);
    // Not blocking: Save writes the ratio as typed.
    QVERIFY(f.click(B::Post));
    QCOMPARE(f.db.scalar("select M_RATE from EM03").toDouble(), typed.toDouble());
}

void TstOverdueRatioTab::pickListAndSelectorListTheUnits()
{
    Fixture f;
    QVERIFY(f.setUp(DeclarationKind::B02));
    const QStringList branches{"9950001  台北分行", "9950002  台中分行", "9950003  高雄分行", "9990000  其他銀行",
                               "9990001  其他分行"};
    QStringList selector;
    for (int i = 0; i < units(f)->count(); ++i)
        selector << units(f)->itemText(i);
    QCOMPARE(selector, branches);   // codes longer than 3 characters
    QCOMPARE(units(f)->currentText(), QString());

    QVERIFY(f.store({{"BANK_CODE1", "9950001"}, {"M_RATE", 0.375}}));
    QVERIFY(f.click(B::Query));
    QCOMPARE(f.shown(0, 3), QStringLiteral(".375"));
    units(f)->setCurrentIndex(1);
    QVERIFY(!f.ds().isOpen());
    QVERIFY(!f.button(B::Edit)->isEnabled() && f.button(B::Query)->isEnabled());

    // Every BN01 record but the first, the declaring institution.
    QVERIFY(f.click(B::Add));
    auto *pickList = qobject_cast<QComboBox *>(f.grid()->openEditor());
    QVERIFY(pickList);
    QStringList items;
    for (int i = 0; i < pickList->count(); ++i)
        items << pickList->itemText(i);
    QCOMPARE(items, branches);
    QVERIFY(!units(f)->isEnabled());   // choosing a unit would close the row being added

    f.messages.answerNext(true);
    QVERIFY(f.click(B::Cancel));
    QVERIFY(units(f)->isEnabled());
    QVERIFY(f.click(B::Clear));
    QCOMPARE(units(f)->currentIndex(), -1);
}

void TstOverdueRatioTab::modifyWaitsForTheCursorToLeaveTheEnd()
{
    Fixture f;
    QVERIFY(f.setUp(DeclarationKind::B02));
    for (const char *unit : {"9950001", "9950002", "9950003"})
        QVERIFY(f.store({{"BANK_CODE1", unit}, {"M_RATE", 5}}));
    QVERIFY(f.click(B::Query));
    QVERIFY(f.click(B::Last));
    QVERIFY(f.click(B::Edit));   // enabled since Query, but the end flag is set
    QCOMPARE(f.shell.mode, EditMode::Browse);
    QVERIFY(f.click(B::Prior));
    QVERIFY(f.click(B::Edit));
    QCOMPARE(f.shell.mode, EditMode::Modify);
    QCOMPARE(f.ds().currentRow(), 1);

    // The row in editing keeps the cursor: a click on another row does nothing.
    const QRect other = f.grid()->visualRect(f.ds().index(0, 2));
    QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, {}, other.center());
    QTRY_COMPARE(f.grid()->currentIndex().row(), 1);
    QCOMPARE(f.ds().currentRow(), 1);

    // After 末筆 the buttons stand as they were, but Modify and Delete do
    // nothing until the cursor moves; a click on another row sets them again.
    QVERIFY(f.click(B::Post));
    QVERIFY(f.click(B::Last));
    f.messages.clear();
    QVERIFY(f.click(B::Edit) && f.click(B::Del));
    QCOMPARE(f.shell.mode, EditMode::Browse);
    QVERIFY(f.messages.records().isEmpty());
    QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, {}, other.center());
    QCOMPARE(f.ds().currentRow(), 0);
    QVERIFY(f.button(B::Edit)->isEnabled() && f.button(B::Del)->isEnabled());
    QVERIFY(f.button(B::Last)->isEnabled() && f.button(B::First)->isEnabled());
}

QTEST_MAIN(TstOverdueRatioTab)
#include "tst_overdue_ratio_tab.moc"
