// The code columns of the two bills statistics tabs: the code checks as the
// cursor leaves a column, the labels of stored codes and of codes keyed in, and
// the pictures of the number columns of the three row tabs.
#include "db/cached_dataset.h"
#include "tests/support/row_tab_fixture.h"

#include <QtTest>

namespace {

using Fixture = RowTabFixture;
using Icon = Messages::Icon;
using B = RecordToolbar::Button;
using Kind = DeclarationKind::Id;

// One stored row of each bills table, every code at its first entry.
QVariantMap storedRow(int kind)
{
    if (kind == Kind::B03)
        return {{"FLAG1", "1"}, {"FLAG2", "1"}, {"FLAG3", "01"}, {"FLAG4", "1"}, {"RATE", 1.5}};
    return {{"FLAG1", "0"}, {"FLAG2", "0"}, {"FLAG3", "01"}, {"AMT", 3}, {"AMT1", 100}};
}

// The stored row read and put into editing, the cursor in `column`.
bool modifying(Fixture &f, int kind, int column, const QVariantMap &changes = {})
{
    QVariantMap row = storedRow(kind);
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        row.insert(it.key(), it.value());
    if (!f.setUp(Kind(kind)) || !f.store(row) || !f.click(B::Query) || !f.click(B::Edit))
        return false;
    f.clickColumn(column);
    return f.column() == column;
}

} // namespace

class TstBillsTabs : public QObject
{
    Q_OBJECT
private slots:
    void codeCheckedAsTheColumnIsLeft_data();
    void codeCheckedAsTheColumnIsLeft();
    void storedCodesAreLabelled_data();
    void storedCodesAreLabelled();
    void enteredLabelStaysUntilDiscard();
    void numbersShowInTheirPictures_data();
    void numbersShowInTheirPictures();
    void tradeRowSavesWithoutNumbers();
};

void TstBillsTabs::codeCheckedAsTheColumnIsLeft_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("code");    // stored in the code field; empty: refused
    QTest::addColumn<QString>("shown");   // the display column afterwards; the warning when refused
    QTest::newRow("market 2") << int(Kind::B03) << 2 << "2" << "2" << "2-次級市場";
    QTest::newRow("market 3") << int(Kind::B03) << 2 << "3" << "" << "無此市場別,請查明再行輸入!!!";
    QTest::newRow("market empty") << int(Kind::B03) << 2 << "" << "" << "無此市場別,請查明再行輸入!!!";
    QTest::newRow("term 12 is term 1") << int(Kind::B03) << 3 << "12" << "1" << "1-一個月期";
    QTest::newRow("term 5") << int(Kind::B03) << 3 << "5" << "5" << "5-十二個月期";
    QTest::newRow("term 6") << int(Kind::B03) << 3 << "6" << "" << "無此期限別,請查明再行輸入!!!";
    QTest::newRow("bill 9 is no code") << int(Kind::B03) << 4 << "9" << "" << "無此票券別,請查明再行輸入!!!";
    QTest::newRow("bill 09") << int(Kind::B03) << 4 << "09" << "09" << "09-金融債券";
    QTest::newRow("bill picked") << int(Kind::B03) << 4 << "10-公司債" << "10" << "10-公司債";
    QTest::newRow("bill 11") << int(Kind::B03) << 4 << "11" << "" << "無此票券別,請查明再行輸入!!!";
    QTest::newRow("rate kind 3") << int(Kind::B03) << 5 << "3" << "3" << "3-最低";
    QTest::newRow("rate kind 4") << int(Kind::B03) << 5 << "4" << "" << "無此利率別,請查明再行輸入!!!";
    QTest::newRow("range 3") << int(Kind::B04) << 2 << "3" << "3" << "3-餘額(公司持有數)";
    QTest::newRow("range 4") << int(Kind::B04) << 2 << "4" << "" << "無此範圍,請查明再行輸入!!!";
    QTest::newRow("direction 2") << int(Kind::B04) << 3 << "2" << "2" << "2-其他";
    QTest::newRow("direction 3") << int(Kind::B04) << 3 << "3" << "" << "無此I/O FLAG,請查明再行輸入!!!";
    QTest::newRow("trade bill 10") << int(Kind::B04) << 4 << "10" << "10" << "10-公司債";
    QTest::newRow("trade bill 00") << int(Kind::B04) << 4 << "00" << "" << "無此票券別,請查明再行輸入!!!";
}

void TstBillsTabs::codeCheckedAsTheColumnIsLeft()
{
    QFETCH(int, kind);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, code);
    QFETCH(QString, shown);
    Fixture f;
    QVERIFY(modifying(f, kind, column));
    const QString codeField = QStringLiteral("FLAG%1").arg(column - 1);
    const QString displayField = QStringLiteral("MFLAG%1").arg(column - 1);
    const QString stored = f.ds().value(codeField).toString();
    QVERIFY(f.type(typed, Qt::Key_Tab));
    if (!code.isEmpty()) {
        QVERIFY(f.messages.records().isEmpty());
        QCOMPARE(f.ds().value(codeField).toString(), code);
        QCOMPARE(f.ds().value(displayField).toString(), shown);
        QCOMPARE(f.column(), column + 1);
        return;
    }
    // Said, the cell emptied, the code kept, the cursor to the column before.
    QCOMPARE(f.messages.texts(), QStringList({shown}));
    QVERIFY(f.said(Icon::Warning, shown));
    QCOMPARE(f.ds().value(displayField).toString(), QString());
    QCOMPARE(f.ds().value(codeField).toString(), stored);
    QCOMPARE(f.column(), column - 1);
    // An emptied code cell is a missing value: Save refuses the row.
    QVERIFY(f.click(B::Post));
    QCOMPARE(f.messages.lastText(), QStringLiteral("輸入資料格式有誤,無法存檔,請查明!!!"));
    QCOMPARE(f.shell.mode, EditMode::Modify);
}

void TstBillsTabs::storedCodesAreLabelled_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("bill 09 as read back") << int(Kind::B03) << "FLAG3" << "09" << "09-金融俵券";
    QTest::newRow("bill 9 read as a number") << int(Kind::B03) << "FLAG3" << "9" << "09-金融俵券";
    QTest::newRow("market 7, no label") << int(Kind::B03) << "FLAG1" << "7" << "7";
    QTest::newRow("bill not a number") << int(Kind::B03) << "FLAG3" << "A1" << "A1";
    QTest::newRow("range 0") << int(Kind::B04) << "FLAG1" << "0" << "0-初級市場";
    QTest::newRow("direction 0") << int(Kind::B04) << "FLAG2" << "0" << "0-買入";
    QTest::newRow("trade bill 10") << int(Kind::B04) << "FLAG3" << "10" << "10-公司債";
}

void TstBillsTabs::storedCodesAreLabelled()
{
    QFETCH(int, kind);
    QFETCH(QString, field);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    QVariantMap row = storedRow(kind);
    row.insert(field, stored);
    QVERIFY(f.store(row));
    QVERIFY(f.click(B::Query));
    // A code with no label keeps the query's text: the code and blanks.
    const QString display = f.ds().value(0, "M" + field).toString();
    QCOMPARE(display.trimmed(), shown);
    QVERIFY(!f.ds().hasPendingUpdates());   // labels are no change to write
    QCOMPARE(f.ds().currentRow(), 0);
    QVERIFY(f.ds().bof());
}

void TstBillsTabs::enteredLabelStaysUntilDiscard()
{
    Fixture f;
    QVERIFY(modifying(f, Kind::B03, 4, {{"FLAG3", "09"}}));
    QCOMPARE(f.ds().value("MFLAG3").toString(), QStringLiteral("09-金融俵券"));
    QVERIFY(f.type("09-金融俵券", Qt::Key_Tab));   // walked through unchanged
    QCOMPARE(f.ds().value("MFLAG3").toString(), QStringLiteral("09-金融債券"));
    f.messages.answerNext(true);
    QVERIFY(f.click(B::Cancel));
    QCOMPARE(f.ds().value(0, "MFLAG3").toString(), QStringLiteral("09-金融俵券"));
}

void TstBillsTabs::numbersShowInTheirPictures_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("column");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("ratio without its zero") << int(Kind::B02) << "M_RATE" << 3 << 0.375 << ".375";
    QTest::newRow("ratio grouped") << int(Kind::B02) << "M_RATE" << 3 << 1234.5 << "1,234.5";
    QTest::newRow("ratio 0 is empty") << int(Kind::B02) << "M_RATE" << 3 << 0.0 << "";
    QTest::newRow("rate without its zero") << int(Kind::B03) << "RATE" << 6 << 0.5 << ".5";
    QTest::newRow("rate two decimals") << int(Kind::B03) << "RATE" << 6 << 1.255 << "1.26";
    QTest::newRow("rate ungrouped") << int(Kind::B03) << "RATE" << 6 << 1234.0 << "1234";
    QTest::newRow("count grouped") << int(Kind::B04) << "AMT" << 5 << 1234.0 << "1,234";
    QTest::newRow("amount grouped") << int(Kind::B04) << "AMT1" << 6 << 1234.5 << "1,234.5";
    QTest::newRow("amount keeps its zero") << int(Kind::B04) << "AMT1" << 6 << 0.5 << "0.5";
}

void TstBillsTabs::numbersShowInTheirPictures()
{
    QFETCH(int, kind);
    QFETCH(QString, field);
    QFETCH(int, column);
    QFETCH(double, value);
    QFETCH(QString, shown);
    Fixture f;
    QVERIFY(f.setUp(Kind(kind)));
    QVariantMap row = kind == Kind::B02 ? QVariantMap{{"BANK_CODE1", "9950001"}} : storedRow(kind);
    row.insert(field, value);
    QVERIFY(f.store(row));
    QVERIFY(f.click(B::Query));
    QCOMPARE(f.shown(0, column), shown);
}

void TstBillsTabs::tradeRowSavesWithoutNumbers()
{
    Fixture f;
    QVERIFY(f.setUp(Kind::B04));
    QVERIFY(f.click(B::Add));
    for (const char *code : {"1", "2", "05", "", ""})
        QVERIFY(f.type(code, Qt::Key_Tab));
    QVERIFY(f.click(B::Post));
    QVERIFY2(f.messages.records().isEmpty(), qPrintable(f.messages.lastText()));
    QCOMPARE(f.db.count("EM09", "FLAG3 = '05' AND AMT IS NULL AND AMT1 IS NULL"), 1);
}

QTEST_MAIN(TstBillsTabs)
#include "tst_bills_tabs.moc"
