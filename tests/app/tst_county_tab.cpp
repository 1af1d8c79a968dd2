// The county tab as the main window wires it, on the sample database: its check
// over the rows it holds, and a month deleted and imported again through
// sbEntery3 (the import flag set while the dialog is open, the month read again
// so that the check and a later Save see it).
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

#include <QAbstractButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

class TstCountyTab : public QObject
{
    Q_OBJECT
private slots:
    void checkAndImportOfAMonth();
};

void TstCountyTab::checkAndImportOfAMonth()
{
    TestDatabase db;
    QVERIFY(db.isValid());
    // County A's account 10000: the total of formula 001 and the divisor of 004.
    QVERIFY(db.exec("UPDATE HMPBANK SET AMT = 1 WHERE HSIEN_ID = 'A' AND ACC_CODE = '10000'"));
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
    QCOMPARE(shown.size(), 2);
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
    // Saved after the import, the month is read again through the tab's statement.
    click("sbEdit3");
    click("sbPost3");
    QCOMPARE(rows.recordCount(), 22 * 15);
}

QTEST_MAIN(TstCountyTab)
#include "tst_county_tab.moc"
