#include "app/main_window.h"
#include "app/qt_translations.h"
#include "ui/messages.h"
#include "db/cached_dataset.h"
#include "entry/data_tab.h"
#include "ui/dialog_runner.h"
#include "interchange/ui/export_dialog.h"
#include "interchange/ui/import_dialog.h"
#include "tests/support/files.h"
#include "tests/support/test_database.h"

#include <QTemporaryDir>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <QKeyEvent>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

class TstMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void defaultPeriodComesFromTheInjectedDate();
    void sevenTabsAndTheButtonsInOrder();
    void statusBarPanelsAndCapsLockToggle();
    void institutionNameOnEveryDataTab();
    void emptyInstitutionTableLeavesLabelsEmpty();
    void closeAsksAndSavesOnYes_data();
    void closeAsksAndSavesOnYes();
    void exampleFileImportsThroughTheOperatingTab();
    void dialogButtonsOpenTheirDialogs_data();
    void dialogButtonsOpenTheirDialogs();
    void qtDialogsSpeakChineseWhenTheFileIsThere_data();
    void qtDialogsSpeakChineseWhenTheFileIsThere();
};

namespace {

QString spinText(QWidget &w, const QString &name)
{
    auto *spin = w.findChild<QSpinBox *>(name);
    return spin ? spin->text() : QStringLiteral("<missing %1>").arg(name);
}

} // namespace

void TstMainWindow::defaultPeriodComesFromTheInjectedDate()
{
    TestDatabase db;
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    TfmVELQ8MAIN window(QDate(2026, 1, 15));
    for (const QString suffix : {"", "4", "9", "2", "3"}) {
        QCOMPARE(spinText(window, "seYYY" + suffix), QString("115"));
        QCOMPARE(spinText(window, "seMM" + suffix), QString("1"));
    }
    QCOMPARE(window.editMode(), EditMode::Browse);
    QVERIFY(!window.importInProgress());
}

void TstMainWindow::sevenTabsAndTheButtonsInOrder()
{
    TestDatabase db;
    QVERIFY(db.isValid());
    TfmVELQ8MAIN window(QDate(2026, 1, 15));
    QCOMPARE(window.windowTitle(), QString("Velqora<VELQ8>"));
    auto *pages = window.findChild<QTabWidget *>("PageControl1");
    QVERIFY(pages);
    const QStringList captions{"營運資料明細檔 ", "各營業單位逾期放款比率檔", "兼營票券利率業務統計檔",
                               "兼營票券交易業務統計檔", "銀行縣市別資料檔", "基本資料維護", "統計報表列印 "};
    QCOMPARE(pages->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i)
        QCOMPARE(pages->tabText(i), captions.at(i));
    QCOMPARE(pages->currentIndex(), 0);

    auto buttonTexts = [](QWidget *page) {
        QStringList texts;
        for (auto *b : page->findChildren<QAbstractButton *>())
            texts << b->text();
        return texts;
    };
    QCOMPARE(buttonTexts(pages->widget(5)),
             (QStringList{"營運科目資料瀏覽", "營運科目公式資料瀏覽", "銀行縣市別營運科目資料瀏覽",
                          "銀行縣市別營運科目公式資料瀏覽", "縣市別資料 ", "金融機構資料 ", "資料匯出", "匯出紀錄"}));
    QCOMPARE(buttonTexts(pages->widget(6)),
             (QStringList{"營運資料明細表", "各營業單位逾期放款比率表", "兼營票券利率業務統計表",
                          "兼營票券交易業務統計表", "銀行縣市別營運資料表", "營運資料明細檢核表",
                          "銀行縣市別資料明細檢核表"}));
    QVERIFY(window.findChild<QAbstractButton *>("Button6"));
}

void TstMainWindow::statusBarPanelsAndCapsLockToggle()
{
    TestDatabase db;
    QVERIFY(db.isValid());
    TfmVELQ8MAIN window(QDate(2026, 1, 15));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(window.statusText(0), QString("Ready"));
    QCOMPARE(window.statusText(1), QString("Num"));
    QCOMPARE(window.statusText(2), QString("Cap"));
    QCOMPARE(window.statusText(3), QString("Scrl"));
    QCOMPARE(window.statusText(4), QString());

    // Ctrl+T flips the lock wherever the focus is; the third panel follows.
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
    QTest::keyClick(target, Qt::Key_T, Qt::ControlModifier);
    const QString first = window.statusText(2);
    QVERIFY2(first == "大寫" || first == "小寫", qPrintable(first));
    QTest::keyClick(target, Qt::Key_T, Qt::ControlModifier);
    QCOMPARE(window.statusText(2), first == "大寫" ? QString("小寫") : QString("大寫"));
}

void TstMainWindow::institutionNameOnEveryDataTab()
{
    TestDatabase db;
    QVERIFY(db.isValid());
    const QString name = db.scalar("SELECT BANK_NAME FROM BN01 ORDER BY rowid LIMIT 1").toString().trimmed();
    QVERIFY(!name.isEmpty());
    TfmVELQ8MAIN window(QDate(2026, 1, 15));
    for (int i = 1; i <= 5; ++i) {
        auto *label = window.findChild<QLabel *>(QStringLiteral("labBANKNAME%1").arg(i));
        QVERIFY2(label, qPrintable(QStringLiteral("labBANKNAME%1").arg(i)));
        QCOMPARE(label->text(), name);
    }
    QCOMPARE(window.declaringBankCode(), db.scalar("SELECT BANK_NO FROM BN01 ORDER BY rowid LIMIT 1").toString());

    // A renamed first institution shows at once after the refresh.
    QVERIFY(db.exec("UPDATE BN01 SET BANK_NAME = '改名銀行' WHERE rowid = (SELECT min(rowid) FROM BN01)"));
    window.refreshBankName();
    QCOMPARE(window.findChild<QLabel *>("labBANKNAME3")->text(), QString("改名銀行"));
}

void TstMainWindow::emptyInstitutionTableLeavesLabelsEmpty()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY(db.isValid());
    TfmVELQ8MAIN window(QDate(2026, 1, 15));
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("labBANKNAME%1").arg(i))->text(), QString());
    QCOMPARE(window.declaringBankCode(), QString());
}

void TstMainWindow::closeAsksAndSavesOnYes_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("No keeps the window and the cache") << false;
    QTest::newRow("Yes saves the month being edited") << true;
}

void TstMainWindow::closeAsksAndSavesOnYes()
{
    QFETCH(bool, yes);
    TestDatabase db;
    QVERIFY(db.isValid());
    const int accounts = db.count("CACNO");
    ScriptedMessages messages;
    TfmVELQ8MAIN window(QDate(2026, 11, 3));
    window.show();
    // 115/11 is not stored: Add creates the month in the cache.
    QTest::mouseClick(window.findChild<QAbstractButton *>("sbAdd"), Qt::LeftButton);
    CachedDataset *qry = window.dataTabs().first()->dataset();
    QVERIFY(qry && qry->recordCount() > 0);
    QVERIFY(qry->moveTo(2));
    QVERIFY(qry->setValue("AMT", 99.125));

    messages.answerNext(yes);
    QCOMPARE(window.close(), yes);
    QCOMPARE(window.isVisible(), !yes);
    QCOMPARE(messages.records().last().text, QString("是否確定要離開系統嗎?"));
    QVERIFY(messages.records().last().isQuestion);
    QCOMPARE(db.count("MPBANK", "M_YEAR = 115 AND M_MONTH = 11"), yes ? accounts : 0);
    if (yes) {
        QCOMPARE(db.scalar("SELECT AMT FROM MPBANK WHERE M_YEAR = 115 AND M_MONTH = 11 AND SERIAL = 3").toDouble(),
                 99.125);
    } else {
        QVERIFY(qry->hasPendingUpdates());
        QCOMPARE(qry->value("AMT").toDouble(), 99.125);
    }
}

void TstMainWindow::exampleFileImportsThroughTheOperatingTab()
{
    // A new user's first import: the shipped example file into the sample
    // database, over the month that is already there, through the tab's button.
    TestDatabase db;
    QVERIFY(db.isValid());
    QTemporaryDir dir;
    const QString file = dir.filePath("B01995000011510");
    QVERIFY(QFile::copy(QStringLiteral(VELQ8_EXAMPLES_DIR "/B01995000011510"), file));
    const QByteArray before = contents(file);
    QVERIFY(db.exec("UPDATE MPBANK SET AMT = 1 WHERE M_YEAR = 115 AND M_MONTH = 10"));

    ScriptedMessages messages;
    messages.answerNext(true);   // 資料已存在是否確定修改!!!
    TfmVELQ8MAIN window(QDate(2026, 10, 8));
    window.show();
    bool driven = false;
    DialogRunner::Scoped driver([&](QDialog &dialog) {
        auto *import = qobject_cast<TfmENTERY *>(&dialog);
        if (!import)
            return int(QDialog::Rejected);
        driven = true;
        import->setFilePath(file);
        import->sbOKClick();
        return import->result();
    });
    auto *button = window.findChild<QAbstractButton *>("sbENTERY");
    QVERIFY(button && button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(driven);
    QVERIFY2(messages.said("匯入作業完成!!!"), qPrintable(messages.texts().join(" | ")));
    QVERIFY(messages.said("資料已存在是否確定修改!!!"));

    CachedDataset *qry = window.dataTabs().first()->dataset();
    const int lines = 42;
    QCOMPARE(qry->recordCount(), lines);
    QCOMPARE(db.count("MPBANK", "M_YEAR = 115 AND M_MONTH = 10"), lines);
    QCOMPARE(db.count("MPBANK", "M_YEAR = 115 AND M_MONTH = 10 AND AMT = 1"), 0);
    for (const char *name : {"sbFirst", "sbNext", "sbEdit", "sbDel", "sbCheck"})
        QVERIFY2(window.findChild<QAbstractButton *>(name)->isEnabled(), name);
    QCOMPARE(window.editMode(), EditMode::Browse);
    QCOMPARE(contents(file), before);
    QCOMPARE(filesIn(dir.path()), QStringList{"B01995000011510"});
}

void TstMainWindow::dialogButtonsOpenTheirDialogs_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("dialog");   // empty: not built yet, the button is disabled
    QTest::addColumn<QString>("caption");
    QTest::newRow("operating data detail") << "btnREPA" << "TfmVELQ8REPA" << "營運資料明細表";
    QTest::newRow("operating data check") << "btnREPH" << "TfmVELQ8REPH" << "營運資料明細檢核表";
    QTest::newRow("overdue ratios") << "btnREPB" << "TfmVELQ8REPB" << "各營業單位逾期放款比率表";
    QTest::newRow("bills rates") << "btnREPC" << "TfmVELQ8REPC" << "兼營票券利率業務統計表";
    QTest::newRow("bills trading") << "btnREPD" << "TfmVELQ8REPD" << "兼營票券交易業務統計表";
    QTest::newRow("county detail") << "btnREPI" << "TfmVELQ8REPI" << "各月營運資料明細表";
    QTest::newRow("county check") << "btnREPJ" << "TfmVELQ8REPJ" << "銀行縣市別營運資料檢核表";
    QTest::newRow("export") << "Button6" << "TfmVELQ8EXIT" << "資料匯出";
    QTest::newRow("exports on record") << "btnExportLog" << "TfmExportLog" << "匯出紀錄";
}

void TstMainWindow::dialogButtonsOpenTheirDialogs()
{
    QFETCH(QString, button);
    QFETCH(QString, dialog);
    QFETCH(QString, caption);
    TestDatabase db;
    QVERIFY(db.isValid());
    TfmVELQ8MAIN window(QDate(2026, 10, 8));
    QString opened;
    QString title;
    bool exportDialog = false;
    DialogRunner::Scoped driver([&](QDialog &shown) {
        opened = shown.objectName();
        title = shown.windowTitle();
        exportDialog = qobject_cast<TfmVELQ8EXIT *>(&shown);
        return int(QDialog::Rejected);
    });
    auto *b = window.findChild<QAbstractButton *>(button);
    QVERIFY(b);
    QCOMPARE(b->isEnabled(), !dialog.isEmpty());
    b->click();
    QCOMPARE(opened, dialog);
    QCOMPARE(title, caption);
    QCOMPARE(exportDialog, button == "Button6");
}

void TstMainWindow::qtDialogsSpeakChineseWhenTheFileIsThere_data()
{
    QTest::addColumn<bool>("installed");   // Debian's folder, else a folder without the file
    QTest::addColumn<QString>("details");  // a message box's details button
    QTest::newRow("Debian's translations") << true << QStringLiteral("顯示詳情...");
    QTest::newRow("no file: English, and the program goes on") << false << QStringLiteral("Show Details...");
}

void TstMainWindow::qtDialogsSpeakChineseWhenTheFileIsThere()
{
    QFETCH(bool, installed);
    QFETCH(QString, details);
    QTemporaryDir empty;
    const QString folder = installed ? QtTranslations::defaultFolder() : empty.path();
    QCOMPARE(QtTranslations::install(*qApp, folder), installed);
    QMessageBox box;
    box.setDetailedText(QStringLiteral("明細"));
    QStringList captions;
    for (const QPushButton *button : box.findChildren<QPushButton *>())
        captions << button->text();
    qDeleteAll(qApp->findChildren<QTranslator *>());   // the next test starts in English
    QVERIFY2(captions.contains(details), qPrintable(captions.join(" | ")));
}

QTEST_MAIN(TstMainWindow)
#include "tst_main_window.moc"
