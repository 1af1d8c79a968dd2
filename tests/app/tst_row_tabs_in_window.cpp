// The three row tabs in the main window, on the sample database: editing a row
// disables the other data tabs' contents, closing the window saves the row, the
// row is in the month's declaration file, and the file imports back through the
// tab's own button.
#include "app/main_window.h"
#include "db/cached_dataset.h"
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
    // The other data tabs but the county tab: contents disabled, tabs still there.
    for (int page = 0; page < 5; ++page) {
        QCOMPARE(pages->widget(page)->isEnabled(), page == kind || page == DeclarationKind::B05);
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

QTEST_MAIN(TstRowTabsInWindow)
#include "tst_row_tabs_in_window.moc"
