// The three row tabs in the main window, on the sample database: a row keyed in
// from the keyboard is in the month's declaration file, which imports back
// through the tab's own button; editing disables the other data tabs' contents;
// closing the window saves the row being edited.
#include "app/main_window.h"
#include "db/cached_dataset.h"
#include "entry/row_tab.h"
#include "interchange/export_engine.h"
#include "interchange/ui/import_dialog.h"
#include "tests/support/row_tab_fixture.h"
#include "tests/support/test_database.h"
#include "ui/dialog_runner.h"

#include <QAbstractButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Kind = DeclarationKind::Id;

struct Case
{
    QStringList row;   // typed from the first code column on, Tab between
    QString keyed;     // the condition that finds the row keyed in
};

const Case &caseOf(int kind)
{
    static const QHash<int, Case> cases{
        {Kind::B02, {{"9950055", "3.5"}, "BANK_CODE1 = '9950055'"}},
        {Kind::B03, {{"2", "5", "10", "3", "2.5"}, "FLAG1 = '2' AND FLAG2 = '5' AND FLAG3 = '10' AND FLAG4 = '3'"}},
        {Kind::B04, {{"3", "1", "10", "7", "700"}, "FLAG1 = '3' AND FLAG2 = '1' AND FLAG3 = '10'"}},
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

// The sample database with one more branch, and the window on 115/10 showing the tab.
struct Window
{
    TestDatabase db;
    ScriptedMessages messages;
    std::unique_ptr<TfmVELQ8MAIN> window;
    RowTab *tab = nullptr;
    QTabWidget *pages = nullptr;

    bool open(int kind)
    {
        if (!db.isValid()
            || !db.insertRow("BN01", {{"BANK_NO", "9950055"}, {"BANK_NAME", QStringLiteral("範例商業銀行測試分行")}}))
            return false;
        window = std::make_unique<TfmVELQ8MAIN>(QDate(2026, 10, 8));
        pages = window->findChild<QTabWidget *>("PageControl1");
        pages->setCurrentIndex(kind);
        tab = dynamic_cast<RowTab *>(window->dataTabs().value(kind));
        window->show();
        window->activateWindow();
        return tab && QTest::qWaitForWindowActive(window.get());
    }
    QAbstractButton *button(RecordToolbar::Button which) { return tab->toolbar()->button(which); }
    bool click(RecordToolbar::Button which)
    {
        if (!button(which)->isEnabled())
            return false;
        QTest::mouseClick(button(which), Qt::LeftButton);
        return true;
    }
    bool typeRow(const QStringList &cells, Qt::Key last)
    {
        for (int i = 0; i < cells.size(); ++i) {
            if (!RowTabFixture::typeInto(tab->grid(), cells.at(i), i + 1 < cells.size() ? Qt::Key_Tab : last))
                return false;
        }
        return true;
    }
};

} // namespace

class TstRowTabsInWindow : public QObject
{
    Q_OBJECT
private slots:
    void keyedRowIsExportedAndImportsBack_data() { kindRows(); }
    void keyedRowIsExportedAndImportsBack();
    void closingSavesTheRowAndEditingHoldsTheOtherTabs_data() { kindRows(); }
    void closingSavesTheRowAndEditingHoldsTheOtherTabs();
};

void TstRowTabsInWindow::keyedRowIsExportedAndImportsBack()
{
    QFETCH(int, kind);
    Window w;
    QVERIFY(w.open(kind));
    const QString table = w.tab->kind().table();
    const QString month = QStringLiteral("M_YEAR = 115 AND M_MONTH = 10");
    const int sample = w.db.count(table, month);
    QVERIFY(sample > 0);

    QVERIFY(w.click(RecordToolbar::Add));
    QVERIFY(w.typeRow(caseOf(kind).row, Qt::Key_Return));
    w.messages.answerNext(true);
    QVERIFY(w.click(RecordToolbar::Cancel));
    QCOMPARE(w.db.count(table, caseOf(kind).keyed), 1);

    QTemporaryDir dir;
    ExportEngine::Request request;
    request.period = Period{115, 10};
    request.kinds = {&w.tab->kind()};
    request.directory = dir.path();
    request.institutionCode = QStringLiteral("995");
    const ExportEngine::Result exported = ExportEngine::run(request);
    const ExportEngine::KindResult file = exported.of(w.tab->kind());
    QCOMPARE(file.outcome, ExportEngine::Outcome::Written);
    QCOMPARE(file.lines, sample + 1);

    // The month gone from the table comes back from its file through the tab.
    QVERIFY(w.db.exec(QStringLiteral("DELETE FROM %1 WHERE %2").arg(table, month)));
    bool flagWhileOpen = false;
    DialogRunner::Scoped driver([&](QDialog &dialog) {
        auto *import = qobject_cast<TfmENTERY *>(&dialog);
        if (!import)
            return int(QDialog::Rejected);
        flagWhileOpen = w.window->importInProgress() && w.window->importKind() == kind;
        import->setFilePath(file.entryPath);
        import->sbOKClick();
        return import->result();
    });
    QVERIFY(w.click(RecordToolbar::Import));
    QVERIFY(flagWhileOpen);
    QVERIFY(!w.window->importInProgress());
    QVERIFY2(w.messages.said("匯入作業完成!!!"), qPrintable(w.messages.texts().join(" | ")));
    QCOMPARE(w.db.count(table, month), sample + 1);
    QCOMPARE(w.db.count(table, caseOf(kind).keyed), 1);
    // The grid shows the rows the file held, as the import left them: not read again.
    QCOMPARE(w.tab->dataset()->recordCount(), sample + 1);
    QVERIFY(w.tab->dataset()->sql().contains("1<>1"));
    for (auto b : {RecordToolbar::First, RecordToolbar::Next, RecordToolbar::Edit, RecordToolbar::Del})
        QVERIFY(w.button(b)->isEnabled());
    QCOMPARE(w.window->editMode(), EditMode::Browse);
}

void TstRowTabsInWindow::closingSavesTheRowAndEditingHoldsTheOtherTabs()
{
    QFETCH(int, kind);
    Window w;
    QVERIFY(w.open(kind));
    QVERIFY(w.click(RecordToolbar::Add));
    QVERIFY(w.typeRow(caseOf(kind).row, Qt::Key_unknown));
    // The other data tabs but the county tab: contents disabled, tabs still there.
    for (int page = 0; page < 5; ++page) {
        QCOMPARE(w.pages->widget(page)->isEnabled(), page == kind || page == Kind::B05);
        QVERIFY(w.pages->isTabEnabled(page));
    }
    QVERIFY(!w.pages->isTabEnabled(5) && !w.pages->isTabEnabled(6));

    w.messages.answerNext(true);   // 是否確定要離開系統嗎?
    QVERIFY(w.window->close());
    QCOMPARE(w.messages.texts(), QStringList({"是否確定要離開系統嗎?"}));
    QCOMPARE(w.db.count(w.tab->kind().table(), caseOf(kind).keyed), 1);
}

QTEST_MAIN(TstRowTabsInWindow)
#include "tst_row_tabs_in_window.moc"
