// The three row tabs in the main window, on the sample database: editing a row
// disables the other data tabs' contents, closing the window saves the row, the
// row is in the month's declaration file, and the file imports back through the
// tab's own button. A row in editing stays in editing and is written by Save or
// the close even after another tab moved the edit mode they share.
#include "app/main_window.h"
#include "db/cached_dataset.h"
#include "entry/month_tab.h"
#include "interchange/export_engine.h"
#include "interchange/ui/import_dialog.h"
#include "tests/support/row_tab_fixture.h"
#include "ui/dialog_runner.h"

#include <QAbstractButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

class TstRowTabsInWindow : public QObject
{
    Q_OBJECT
private slots:
    void keyedClosedExportedAndImported_data();
    void keyedClosedExportedAndImported();
    void rowOutlivesAnotherTabsSave_data();
    void rowOutlivesAnotherTabsSave();
};

void TstRowTabsInWindow::keyedClosedExportedAndImported_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("row");   // typed from the first code column, the last left being typed
    QTest::addColumn<QString>("keyed");     // finds the row in its table
    QTest::newRow("overdue ratios") << int(DeclarationKind::B02) << QStringList({"9950055", "3.5"})
                                    << "BANK_CODE1 = '9950055'";
    QTest::newRow("bills rates") << int(DeclarationKind::B03) << QStringList({"2", "5", "10", "3", "2.5"})
                                 << "FLAG1 = '2' AND FLAG2 = '5' AND FLAG3 = '10' AND FLAG4 = '3'";
    QTest::newRow("bills trading") << int(DeclarationKind::B04) << QStringList({"3", "1", "10", "7", "700"})
                                   << "FLAG1 = '3' AND FLAG2 = '1' AND FLAG3 = '10'";
}

void TstRowTabsInWindow::keyedClosedExportedAndImported()
{
    QFETCH(int, kind);
    QFETCH(QStringList, row);
    QFETCH(QString, keyed);
    TestDatabase db;   // the sample month 115/10, and one more branch
    QVERIFY(db.insertRow("BN01", {{"BANK_NO", "9950055"}, {"BANK_NAME", QStringLiteral("範例商業銀行測試分行")}}));
    ScriptedMessages messages;
    TfmVELQ8MAIN window(QDate(2026, 10, 8));
    auto *pages = window.findChild<QTabWidget *>("PageControl1");
    pages->setCurrentIndex(kind);
    auto *tab = dynamic_cast<RowTab *>(window.dataTabs().value(kind));
    QVERIFY(tab);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto click = [tab](RecordToolbar::Button which) { QTest::mouseClick(tab->toolbar()->button(which), Qt::LeftButton); };
    const QString table = tab->kind().table();
    const QString month = QStringLiteral("M_YEAR = 115 AND M_MONTH = 10");
    const int sample = db.count(table, month);

    click(RecordToolbar::Add);
    QVERIFY(RowTabFixture::typeRowInto(tab->grid(), row));
    // The other data tabs: contents disabled, tabs still there.
    for (int page = 0; page < 5; ++page) {
        QCOMPARE(pages->widget(page)->isEnabled(), page == kind);
        QVERIFY(pages->isTabEnabled(page));
    }
    QVERIFY(!pages->isTabEnabled(5) && !pages->isTabEnabled(6));
    messages.answerNext(true);   // 是否確定要離開系統嗎?
    QVERIFY(window.close());
    QCOMPARE(db.count(table, keyed), 1);

    QTemporaryDir dir;
    ExportEngine::Request request{Period{115, 10}, {&tab->kind()}, dir.path(), QStringLiteral("995")};
    const ExportEngine::KindResult file = ExportEngine::run(request).of(tab->kind());
    QCOMPARE(file.lines, sample + 1);

    // The month gone from the table comes back from its file through the tab.
    QVERIFY(db.exec(QStringLiteral("DELETE FROM %1 WHERE %2").arg(table, month)));
    bool flagWhileOpen = false;
    DialogRunner::Scoped driver([&](QDialog &dialog) {
        auto *import = qobject_cast<TfmENTERY *>(&dialog);
        flagWhileOpen = window.importInProgress() && window.importKind() == kind;
        import->setFilePath(file.entryPath);
        import->sbOKClick();
        return import->result();
    });
    click(RecordToolbar::Import);
    QVERIFY(flagWhileOpen && !window.importInProgress());
    QVERIFY2(messages.said("匯入作業完成!!!"), qPrintable(messages.texts().join(" | ")));
    QCOMPARE(db.count(table, month), sample + 1);
    // The grid shows the rows the file held, as the import left them: not read again.
    QCOMPARE(tab->dataset()->recordCount(), sample + 1);
    QVERIFY(tab->dataset()->sql().contains("1<>1"));
    QVERIFY(tab->toolbar()->button(RecordToolbar::Next)->isEnabled());
}

void TstRowTabsInWindow::rowOutlivesAnotherTabsSave_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("cells");   // a new row from its first code, or the second row's last cell
    QTest::addColumn<bool>("byClose");        // written by closing the window, else by Save
    QTest::addColumn<QString>("written");     // finds the row as it must be stored
    const struct
    {
        const char *name;
        DeclarationKind::Id kind;
        QStringList added;
        QString addedWhere;
        QString modified;   // a value no sample row has
        QString modifiedWhere;
    } kinds[] = {
        {"overdue ratios", DeclarationKind::B02, {"9950066", "4.5"}, "BANK_CODE1 = '9950066'", "7.25", "M_RATE = 7.25"},
        {"bills rates", DeclarationKind::B03, {"2", "4", "10", "3", "1.75"}, "FLAG2 = '4' AND RATE = 1.75", "3.25",
         "RATE = 3.25"},
        {"bills trading", DeclarationKind::B04, {"3", "2", "10", "4", "400"}, "FLAG2 = '2' AND AMT1 = 400", "900",
         "AMT1 = 900"},
    };
    for (const auto &k : kinds) {
        for (const bool byClose : {false, true}) {
            const char *finish = byClose ? "close" : "save";
            QTest::addRow("%s, new row, %s", k.name, finish) << int(k.kind) << k.added << byClose << k.addedWhere;
            QTest::addRow("%s, modified row, %s", k.name, finish)
                << int(k.kind) << QStringList{k.modified} << byClose << k.modifiedWhere;
        }
    }
}

void TstRowTabsInWindow::rowOutlivesAnotherTabsSave()
{
    QFETCH(int, kind);
    QFETCH(QStringList, cells);
    QFETCH(bool, byClose);
    QFETCH(QString, written);
    const bool adding = cells.size() > 1;
    TestDatabase db;   // the sample month 115/10 (today's) and one more branch
    QVERIFY(db.insertRow("BN01", {{"BANK_NO", "9950066"}, {"BANK_NAME", QStringLiteral("範例商業銀行測試分行")}}));
    ScriptedMessages messages;
    TfmVELQ8MAIN window(QDate(2026, 10, 8));
    window.findChild<QTabWidget *>("PageControl1")->setCurrentIndex(kind);
    auto *tab = dynamic_cast<RowTab *>(window.dataTabs().value(kind));
    auto *county = dynamic_cast<MonthTab *>(window.dataTabs().value(DeclarationKind::B05));
    QVERIFY(tab && county);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto click = [tab](RecordToolbar::Button which) { QTest::mouseClick(tab->toolbar()->button(which), Qt::LeftButton); };
    auto clickCell = [tab](int row, int column) {
        const QRect cell = tab->grid()->visualRect(tab->dataset()->index(row, column));
        QTest::mouseClick(tab->grid()->viewport(), Qt::LeftButton, {}, cell.center());
    };
    CachedDataset &rows = *tab->dataset();

    click(RecordToolbar::Query);
    if (!adding)
        clickCell(1, rows.columnCount() - 1);
    click(adding ? RecordToolbar::Add : RecordToolbar::Edit);
    QVERIFY(RowTabFixture::typeRowInto(tab->grid(), cells));
    const int editedRow = rows.currentRow();
    // The county tab is disabled like the others; were it not, its Modify and Save
    // would leave the shared mode on browse under the row.
    QVERIFY(!county->isEnabled());
    county->query();
    county->modify();
    QVERIFY(county->save());
    QCOMPARE(window.editMode(), EditMode::Browse);

    clickCell(0, 0);   // a move off the row is still refused
    QVERIFY(rows.isEditing());
    QCOMPARE(rows.currentRow(), editedRow);
    if (byClose) {
        messages.answerNext(true);   // 是否確定要離開系統嗎?
        QVERIFY(window.close());
    } else {
        click(RecordToolbar::Post);
        // A modified row is said saved; a new one opens the next row of the run.
        QCOMPARE(messages.texts().count(QStringLiteral("存檔成功!!!")), adding ? 1 : 2);
    }
    QCOMPARE(db.count(tab->kind().table(), written + QStringLiteral(" AND M_YEAR = 115 AND M_MONTH = 10")), 1);
}

QTEST_MAIN(TstRowTabsInWindow)
#include "tst_row_tabs_in_window.moc"
