// The row scheme the three row tabs share, each tab a row of every table: a run
// of rows keyed from the keyboard, the required values, the duplicate guard, the
// last column's Enter, the period rule, Delete, the empty query and the close.
#include "db/cached_dataset.h"
#include "entry/row_grid.h"
#include "tests/support/row_tab_fixture.h"
#include "ui/period_spin_edit.h"

#include <QAbstractButton>
#include <QtTest>

namespace {

using Fixture = RowTabFixture;
using Icon = Messages::Icon;
using B = RecordToolbar::Button;
using Kind = DeclarationKind::Id;

// What differs between the tabs for these tests: only data.
struct Case
{
    QStringList row;        // typed from the first code column to the last: a valid row
    QStringList otherRow;   // another valid row of the same period
    QVariantMap stored;     // the key of `row` as stored, with a value
    QString otherCode;      // another code of the first code column, stored beside it
    int valueColumn;        // the last column, a number
    QString valueField;
    QList<Kind> otherPages; // the data tabs disabled while editing
};

const Case &caseOf(int kind)
{
    static const QHash<int, Case> cases{
        {Kind::B02,
         {{"9950001", "3.5"}, {"9950002", "4"}, {{"BANK_CODE1", "9950001"}, {"M_RATE", 5}}, "9950002", 3,
          "M_RATE", {Kind::B01, Kind::B03, Kind::B04}}},
        {Kind::B03,
         {{"1", "1", "01", "1", "1.5"}, {"2", "3", "07", "2", "1.25"},
          {{"FLAG1", "1"}, {"FLAG2", "1"}, {"FLAG3", "01"}, {"FLAG4", "1"}, {"RATE", 2}}, "2", 6, "RATE",
          {Kind::B01, Kind::B02, Kind::B04}}},
        {Kind::B04,
         {{"0", "0", "01", "12", "1500"}, {"1", "1", "06", "3", "640000.25"},
          {{"FLAG1", "0"}, {"FLAG2", "0"}, {"FLAG3", "01"}, {"AMT", 5}, {"AMT1", 100}}, "1", 6, "AMT1",
          {Kind::B01, Kind::B02, Kind::B03}}},
    };
    return *cases.constFind(kind);
}

QString firstCodeField(int kind)
{
    return kind == Kind::B02 ? QStringLiteral("BANK_CODE1") : QStringLiteral("FLAG1");
}

void kindRows()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("overdue ratios") << int(Kind::B02);
    QTest::newRow("bills rates") << int(Kind::B03);
    QTest::newRow("bills trading") << int(Kind::B04);
}

// Types a row cell by cell, Tab between them and `last` after the last.
bool typeRow(Fixture &f, const QStringList &cells, Qt::Key last = Qt::Key_Return)
{
    for (int i = 0; i < cells.size(); ++i) {
        if (!f.type(cells.at(i), i + 1 < cells.size() ? Qt::Key_Tab : last))
            return false;
    }
    return true;
}

QString name(Fixture &f, B which)
{
    return f.button(which)->objectName();
}

} // namespace

class TstRowTab : public QObject
{
    Q_OBJECT
private slots:
    void keyboardRunAddsRowsUntilDiscard_data() { kindRows(); }
    void keyboardRunAddsRowsUntilDiscard();
    void saveRefusesARowWithoutItsValues_data();
    void saveRefusesARowWithoutItsValues();
    void duplicateOfAnyInstitutionIsRefused_data() { kindRows(); }
    void duplicateOfAnyInstitutionIsRefused();
    void onlyAChangedKeyIsCheckedForDuplicates_data() { kindRows(); }
    void onlyAChangedKeyIsCheckedForDuplicates();
    void enterInTheLastColumn_data();
    void enterInTheLastColumn();
    void periodChangeClosesOnlyTheRatioRows_data() { kindRows(); }
    void periodChangeClosesOnlyTheRatioRows();
    void deleteTakesTheCurrentRowAfterYes_data();
    void deleteTakesTheCurrentRowAfterYes();
    void emptyQueryNamesTheMainWindow_data() { kindRows(); }
    void emptyQueryNamesTheMainWindow();
    void closeSavesWhatWasKeyed_data();
    void closeSavesWhatWasKeyed();
    void failingWriteKeepsTheRowInEditing_data() { kindRows(); }
    void failingWriteKeepsTheRowInEditing();
};

void TstRowTab::keyboardRunAddsRowsUntilDiscard()
{
    QFETCH(int, kind);
    const Case &c = caseOf(kind);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    QVERIFY(f.click(B::Add));
    QCOMPARE(f.shell.mode, EditMode::Add);
    QCOMPARE(f.shell.status, QStringLiteral("新增"));
    QCOMPARE(f.enabledButtons(), QStringList({name(f, B::Post), name(f, B::Cancel)}));
    QCOMPARE(f.shell.disabledPages, c.otherPages);
    QVERIFY(!f.shell.buttonTabs);
    QCOMPARE(f.column(), 2);
    QCOMPARE(f.values("BANK_CODE"), QStringList({"995"}));

    QVERIFY(typeRow(f, c.row));
    QVERIFY(typeRow(f, c.otherRow));
    QCOMPARE(f.db.count(f.tab->kind().table()), 2);
    // Saved without a word; the next row is open on the same period.
    QVERIFY2(f.messages.records().isEmpty(), qPrintable(f.messages.lastText()));
    QCOMPARE(f.ds().recordCount(), 3);
    QCOMPARE(f.ds().state(), CachedDataset::State::Insert);
    QCOMPARE(f.values("M_MONTH"), QStringList({"1", "1", "1"}));
    QCOMPARE(f.shell.mode, EditMode::Add);
    QCOMPARE(f.column(), 2);

    f.messages.answerNext(true);
    QVERIFY(f.click(B::Cancel));
    QCOMPARE(f.messages.texts(), QStringList({"是否確定放棄!!!"}));
    QCOMPARE(f.ds().recordCount(), 2);
    QCOMPARE(f.db.count(f.tab->kind().table()), 2);
    QCOMPARE(f.shell.mode, EditMode::Browse);
    QVERIFY(f.shell.disabledPages.isEmpty());
    QVERIFY(f.shell.buttonTabs);
}

void TstRowTab::saveRefusesARowWithoutItsValues_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("month");   // typed into the month column; empty: the code left empty
    QTest::addColumn<QStringList>("said");
    const QString missing = QStringLiteral("輸入資料格式有誤,無法存檔,請查明!!!");
    QTest::newRow("ratio without a unit") << int(Kind::B02) << "" << QStringList({"無此銀行機構,請查明再行輸入!!!", missing});
    QTest::newRow("rate without a market") << int(Kind::B03) << "" << QStringList({"無此市場別,請查明再行輸入!!!", missing});
    QTest::newRow("trade without a range") << int(Kind::B04) << "" << QStringList({"無此範圍,請查明再行輸入!!!", missing});
    QTest::newRow("ratio in month 13") << int(Kind::B02) << "13" << QStringList({missing});
    QTest::newRow("trade in month 13") << int(Kind::B04) << "13" << QStringList({missing});
    QTest::newRow("ratio in month 12 saves") << int(Kind::B02) << "12" << QStringList();
}

void TstRowTab::saveRefusesARowWithoutItsValues()
{
    QFETCH(int, kind);
    QFETCH(QString, month);
    QFETCH(QStringList, said);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    QVERIFY(f.click(B::Add));
    if (!month.isEmpty()) {
        // The whole row, Tab from the last column to the year, then the month.
        QVERIFY(typeRow(f, caseOf(kind).row, Qt::Key_Tab));
        QCOMPARE(f.column(), 0);
        QVERIFY(f.type("115"));
        QVERIFY(f.type(month));
    }
    QVERIFY(f.click(B::Post));
    QCOMPARE(f.messages.texts(), said);
    if (said.isEmpty()) {
        QCOMPARE(f.db.count(f.tab->kind().table(), "M_MONTH = 12"), 1);
        return;
    }
    QVERIFY(f.said(Icon::Warning, said.last()));
    QCOMPARE(f.column(), 0);
    QCOMPARE(f.shell.mode, EditMode::Add);
    QCOMPARE(f.ds().state(), CachedDataset::State::Insert);
    QCOMPARE(f.db.count(f.tab->kind().table()), 0);
}

void TstRowTab::duplicateOfAnyInstitutionIsRefused()
{
    QFETCH(int, kind);
    const Case &c = caseOf(kind);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    QVariantMap other = c.stored;
    other.insert("BANK_CODE", Fixture::OtherBank);
    QVERIFY(f.store(other));
    QVERIFY(f.click(B::Add));
    QVERIFY(typeRow(f, c.row));
    QCOMPARE(f.messages.texts(), QStringList({"資料重覆!!!"}));
    QVERIFY(f.said(Icon::Warning, "資料重覆!!!"));
    QCOMPARE(f.db.count(f.tab->kind().table()), 1);
    QCOMPARE(f.shell.mode, EditMode::Add);
    QCOMPARE(f.ds().state(), CachedDataset::State::Insert);
    QCOMPARE(f.column(), 2);
}

void TstRowTab::onlyAChangedKeyIsCheckedForDuplicates()
{
    QFETCH(int, kind);
    const Case &c = caseOf(kind);
    const QString code = firstCodeField(kind);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    QVariantMap second = c.stored;
    second.insert(code, c.otherCode);
    QVERIFY(f.store(c.stored) && f.store(second));
    QVERIFY(f.click(B::Query));

    // Only the value: the row keeps its key, which the check would find stored.
    QVERIFY(f.ds().locate({code}, {c.stored.value(code)}));
    QVERIFY(f.click(B::Edit));
    f.clickColumn(c.valueColumn);
    QVERIFY(f.type("6", Qt::Key_unknown));
    QVERIFY(f.click(B::Post));
    QCOMPARE(f.messages.texts(), QStringList({"存檔成功!!!"}));
    QCOMPARE(f.db.count(f.tab->kind().table(), QStringLiteral("%1 = 6").arg(c.valueField)), 1);

    // The other row's code changed to the first one's: refused.
    f.messages.clear();
    QVERIFY(f.ds().locate({code}, {c.otherCode}));
    QVERIFY(f.click(B::Edit));
    f.clickColumn(2);
    QVERIFY(f.type(c.row.first(), Qt::Key_unknown));
    QVERIFY(f.click(B::Post));
    QCOMPARE(f.messages.texts(), QStringList({"資料重覆!!!"}));
    QCOMPARE(f.shell.mode, EditMode::Modify);
    QCOMPARE(f.db.count(f.tab->kind().table(), QStringLiteral("%1 = '%2'").arg(code, c.otherCode)), 1);
}

void TstRowTab::enterInTheLastColumn_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("adding");
    QTest::newRow("ratio, add: saves") << int(Kind::B02) << true;
    QTest::newRow("ratio, modify: to the year") << int(Kind::B02) << false;
    QTest::newRow("rate, add: saves") << int(Kind::B03) << true;
    QTest::newRow("trade, modify: to the year") << int(Kind::B04) << false;
}

void TstRowTab::enterInTheLastColumn()
{
    QFETCH(int, kind);
    QFETCH(bool, adding);
    const Case &c = caseOf(kind);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    if (adding) {
        QVERIFY(f.click(B::Add));
        QVERIFY(typeRow(f, c.row, Qt::Key_Return));
        QCOMPARE(f.db.count(f.tab->kind().table()), 1);
        QCOMPARE(f.ds().recordCount(), 2);
        QCOMPARE(f.column(), 2);
        return;
    }
    QVERIFY(f.store(c.stored));
    QVERIFY(f.click(B::Query));
    QVERIFY(f.click(B::Edit));
    f.clickColumn(c.valueColumn);
    QVERIFY(f.type("7", Qt::Key_Return));
    QCOMPARE(f.column(), 0);
    QCOMPARE(f.shell.mode, EditMode::Modify);
    QCOMPARE(f.db.count(f.tab->kind().table(), QStringLiteral("%1 = 7").arg(c.valueField)), 0);
    // Insert never adds a row.
    QTest::keyClick(f.grid(), Qt::Key_Insert);
    QCOMPARE(f.ds().recordCount(), 1);
}

void TstRowTab::periodChangeClosesOnlyTheRatioRows()
{
    QFETCH(int, kind);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    QVERIFY(f.store(caseOf(kind).stored));
    QVERIFY(f.click(B::Query));
    QCOMPARE(f.ds().recordCount(), 1);
    f.tab->yearEdit()->setEditText("114");
    const bool ratios = kind == Kind::B02;
    QCOMPARE(f.ds().isOpen(), !ratios);
    QCOMPARE(f.button(B::Edit)->isEnabled(), !ratios);
    // Query reads the new period.
    QVERIFY(f.click(B::Query));
    QCOMPARE(f.ds().recordCount(), 0);
}

void TstRowTab::deleteTakesTheCurrentRowAfterYes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("yes");
    QTest::newRow("ratio, yes") << int(Kind::B02) << true;
    QTest::newRow("rate, yes") << int(Kind::B03) << true;
    QTest::newRow("trade, no") << int(Kind::B04) << false;
}

void TstRowTab::deleteTakesTheCurrentRowAfterYes()
{
    QFETCH(int, kind);
    QFETCH(bool, yes);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    QVERIFY(f.store(caseOf(kind).stored));
    QVERIFY(f.click(B::Query));
    f.messages.answerNext(yes);
    QVERIFY(f.click(B::Del));
    QCOMPARE(f.messages.records().first().icon, Icon::Information);
    QVERIFY(f.messages.records().first().isQuestion);
    if (!yes) {
        QCOMPARE(f.messages.texts(), QStringList({"確定要刪除嗎?"}));
        QCOMPARE(f.shell.status, QStringLiteral("刪除"));
        QCOMPARE(f.db.count(f.tab->kind().table()), 1);
        return;
    }
    QCOMPARE(f.messages.texts(), QStringList({"確定要刪除嗎?", "刪除成功!!!"}));
    QVERIFY(f.said(Icon::Information, "刪除成功!!!"));
    QCOMPARE(f.db.count(f.tab->kind().table()), 0);
    QCOMPARE(f.ds().recordCount(), 0);
    QCOMPARE(f.shell.status, QStringLiteral("Ready"));
}

void TstRowTab::emptyQueryNamesTheMainWindow()
{
    QFETCH(int, kind);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    QVERIFY(f.click(B::Query));
    QCOMPARE(f.messages.texts(), QStringList({"查無任何符合資料!!!"}));
    QVERIFY(f.said(Icon::Warning, "查無任何符合資料!!!", "Velqora<VELQ8>"));
    QCOMPARE(f.enabledButtons(),
             QStringList({name(f, B::Query), name(f, B::Add), name(f, B::Exit), name(f, B::Clear)}));
}

void TstRowTab::closeSavesWhatWasKeyed_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("savedFirst");    // a row saved with Enter, the next one left open
    QTest::addColumn<QStringList>("typing"); // cells typed, the last one left being typed
    QTest::addColumn<QStringList>("said");
    QTest::addColumn<int>("stored");
    QTest::newRow("ratio being typed is saved") << int(Kind::B02) << false << caseOf(Kind::B02).row
                                                << QStringList() << 1;
    QTest::newRow("trade being typed is saved") << int(Kind::B04) << false << caseOf(Kind::B04).row
                                                << QStringList() << 1;
    QTest::newRow("rate: the empty next row is dropped") << int(Kind::B03) << true << QStringList()
                                                         << QStringList() << 1;
    QTest::newRow("ratio of an unknown unit keeps the window")
        << int(Kind::B02) << false << QStringList({"9999999"})
        << QStringList({"無此銀行機構,請查明再行輸入!!!", "輸入資料格式有誤,無法存檔,請查明!!!"}) << 0;
}

void TstRowTab::closeSavesWhatWasKeyed()
{
    QFETCH(int, kind);
    QFETCH(bool, savedFirst);
    QFETCH(QStringList, typing);
    QFETCH(QStringList, said);
    QFETCH(int, stored);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    QVERIFY(f.click(B::Add));
    if (savedFirst)
        QVERIFY(typeRow(f, caseOf(kind).row));
    if (!typing.isEmpty())
        QVERIFY(typeRow(f, typing, Qt::Key_unknown));
    QCOMPARE(f.tab->saveOnClose(), said.isEmpty());
    QCOMPARE(f.messages.texts(), said);
    QCOMPARE(f.db.count(f.tab->kind().table()), stored);
    QCOMPARE(f.shell.mode, said.isEmpty() ? EditMode::Browse : EditMode::Add);
}

void TstRowTab::failingWriteKeepsTheRowInEditing()
{
    QFETCH(int, kind);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    // An institution code wider than its field: the table cannot hold the row.
    f.shell.bankCode = QStringLiteral("99500001");
    QVERIFY(f.click(B::Add));
    QVERIFY(typeRow(f, caseOf(kind).row));
    QCOMPARE(f.messages.records().size(), 1);
    QCOMPARE(f.messages.records().first().icon, Icon::Critical);
    QVERIFY2(f.messages.lastText().contains("BANK_CODE"), qPrintable(f.messages.lastText()));
    QCOMPARE(f.db.count(f.tab->kind().table()), 0);
    QCOMPARE(f.shell.mode, EditMode::Add);
    QVERIFY(f.ds().state() != CachedDataset::State::Browse);
    QCOMPARE(f.ds().recordCount(), 1);
}

QTEST_MAIN(TstRowTab)
#include "tst_row_tab.moc"
