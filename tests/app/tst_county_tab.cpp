// The county tab in the main window, as a user goes through a month on the
// sample database: query, change an amount, save, check, delete, import the
// month again through sbEntery3, check again.
#include "app/main_window.h"
#include "checks/ui/check_result_model.h"
#include "checks/ui/check_window.h"
#include "db/cached_dataset.h"
#include "entry/data_tab.h"
#include "interchange/export_engine.h"
#include "interchange/ui/import_dialog.h"
#include "tests/support/test_database.h"
#include "ui/dialog_runner.h"
#include "ui/messages.h"
#include "ui/record_grid.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

class TstCountyTab : public QObject
{
    Q_OBJECT
private slots:
    void aMonthFromQueryToImport();
};

void TstCountyTab::aMonthFromQueryToImport()
{
    TestDatabase db;
    QVERIFY(db.isValid());
    ScriptedMessages messages;
    messages.setDefaultAnswer(true);
    TfmVELQ8MAIN window(QDate(2026, 10, 8));   // 115/10, the sample county month
    window.resize(1200, 800);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.findChild<QTabWidget *>("PageControl1")->setCurrentIndex(4);
    CachedDataset &rows = *window.dataTabs().at(4)->dataset();
    auto click = [&](const char *name) {
        auto *b = window.findChild<QAbstractButton *>(name);
        QVERIFY2(b && b->isEnabled(), name);
        QTest::mouseClick(b, Qt::LeftButton);
    };
    QList<CheckResultRow> shown;
    bool importFlag = false;
    QTemporaryDir dir;
    QString file;
    DialogRunner::Scoped driver([&](QDialog &dialog) {
        if (auto *check = qobject_cast<TfmVELQ8CHECK *>(&dialog))
            shown = check->model()->rows();
        if (auto *import = qobject_cast<TfmENTERY *>(&dialog)) {
            importFlag = window.importInProgress() && window.importKind() == DeclarationKind::B05;
            import->setFilePath(file);
            import->sbOKClick();
        }
        return dialog.result();
    });

    click("sbQuery3");
    QCOMPARE(rows.recordCount(), 22 * 15);
    click("sbCheck3");
    QCOMPARE(messages.lastText(), QStringLiteral("資料完全符合!!!"));

    // The first row is county A's account 10000, the total of formula 001.
    click("sbEdit3");
    auto *grid = window.findChild<RecordGrid *>("dbgeHMPBANK");
    grid->setCurrentIndex(rows.index(0, 4));
    auto *editor = qobject_cast<QLineEdit *>(grid->openEditor());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "1");
    QTest::keyClick(editor, Qt::Key_Return);
    click("sbPost3");
    QCOMPARE(messages.lastText(), QStringLiteral("存檔成功!!!"));
    click("sbCheck3");
    QCOMPARE(shown.size(), 2);   // the sum (001) and the ratio (004) over 10000
    for (const CheckResultRow &r : shown)
        QVERIFY2(r.remark.startsWith(QStringLiteral("A  臺北市資料有誤   ")), qPrintable(r.remark));
    const QList<CheckResultRow> before = shown;

    // The month as a declaration file, deleted, and read back through the tab.
    ExportEngine::Request request;
    request.period = {115, 10};
    request.kinds = {&DeclarationKind::get(DeclarationKind::B05)};
    request.directory = dir.path();
    request.institutionCode = window.declaringBankCode();
    file = ExportEngine::run(request).of(DeclarationKind::get(DeclarationKind::B05)).entryPath;
    QVERIFY(QFile::exists(file));
    click("sbDel3");
    QCOMPARE(messages.lastText(), QStringLiteral("刪除成功!!!"));
    QCOMPARE(db.count("HMPBANK", "M_YEAR = 115 AND M_MONTH = 10"), 0);
    click("sbEntery3");
    QVERIFY(importFlag);
    QVERIFY(!window.importInProgress());
    QVERIFY(messages.said(QStringLiteral("匯入作業完成!!!")));
    QCOMPARE(db.count("HMPBANK", "M_YEAR = 115 AND M_MONTH = 10"), 22 * 15);
    QCOMPARE(rows.recordCount(), 22 * 15);
    QCOMPARE(window.editMode(), EditMode::Browse);
    shown.clear();
    click("sbCheck3");
    QCOMPARE(shown, before);
}

QTEST_MAIN(TstCountyTab)
#include "tst_county_tab.moc"
