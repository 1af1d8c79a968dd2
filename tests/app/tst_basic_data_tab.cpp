#include "app/main_window.h"
#include "tests/support/test_database.h"
#include "ui/dialog_runner.h"
#include "ui/messages.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

// The basic data tab of the main window: every button opens its window, and the
// institution window's changes reach the main window when it closes.
class TstBasicDataTab : public QObject
{
    Q_OBJECT
private slots:
    void everyButtonOpensItsWindow_data();
    void everyButtonOpensItsWindow();
    void aNewNameOfTheDeclaringInstitutionShowsAtOnce();
};

void TstBasicDataTab::everyButtonOpensItsWindow_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::newRow("營運科目資料瀏覽") << "btnCACNO" << "TfmVELQCACNO" << "營運科目基本資料";
    QTest::newRow("營運科目公式資料瀏覽") << "btnRules" << "TfmVELQRules" << "營運科目公式資料表";
    QTest::newRow("銀行縣市別營運科目資料瀏覽") << "btnHCACNO" << "TfmVELQHCACNO" << "銀行縣市別營運科目基本資料";
    QTest::newRow("銀行縣市別營運科目公式資料瀏覽") << "btnHRules" << "TfmVELQHRules" << "銀行縣市別營運科目公式資料表";
    QTest::newRow("縣市別資料") << "btnCD01" << "TfmCD01" << "縣市別基本資料維護";
    QTest::newRow("金融機構資料") << "btnBN01" << "TfmVELQBN01" << "金融機構基本資料維護";
    QTest::newRow("資料匯出") << "Button6" << "TfmVELQ8EXIT" << "資料匯出";
}

void TstBasicDataTab::everyButtonOpensItsWindow()
{
    QFETCH(QString, button);
    QFETCH(QString, window);
    QFETCH(QString, caption);
    TestDatabase db;
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    ScriptedMessages messages;
    TfmVELQ8MAIN main(QDate(2026, 1, 15));
    QStringList opened;
    DialogRunner::Scoped driver([&opened](QDialog &dialog) {
        opened << dialog.objectName() << dialog.windowTitle();
        if (auto *exit = dialog.findChild<QPushButton *>(QStringLiteral("sbExit")))
            QTest::mouseClick(exit, Qt::LeftButton);
        else
            dialog.reject();
        return dialog.result();
    });
    auto *b = main.findChild<QPushButton *>(button);
    QVERIFY(b && b->isEnabled());
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(opened, (QStringList{window, caption}));
    QCOMPARE(main.editMode(), EditMode::Browse);
    QVERIFY2(messages.records().isEmpty(), qPrintable(messages.texts().join(u'\n')));
}

void TstBasicDataTab::aNewNameOfTheDeclaringInstitutionShowsAtOnce()
{
    TestDatabase db;
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    ScriptedMessages messages;
    TfmVELQ8MAIN main(QDate(2026, 1, 15));
    DialogRunner::Scoped driver([](QDialog &dialog) {
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("sbEdit")), Qt::LeftButton);
        auto *grid = dialog.findChild<QTableView *>(QStringLiteral("dbgeBN01"));
        auto *editor = grid ? grid->findChild<QLineEdit *>(QStringLiteral("textEditor")) : nullptr;
        if (!editor)
            return 0;
        editor->setText(QStringLiteral("改名銀行"));
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("sbPost")), Qt::LeftButton);
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("sbExit")), Qt::LeftButton);
        return dialog.result();
    });
    QTest::mouseClick(main.findChild<QPushButton *>(QStringLiteral("btnBN01")), Qt::LeftButton);
    QCOMPARE(messages.texts(), QStringList{"存檔成功!!!"});
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(main.findChild<QLabel *>(QStringLiteral("labBANKNAME%1").arg(i))->text(), QStringLiteral("改名銀行"));
    QCOMPARE(main.declaringBankName(), QStringLiteral("改名銀行"));
    QCOMPARE(main.editMode(), EditMode::Browse);
}

QTEST_MAIN(TstBasicDataTab)
#include "tst_basic_data_tab.moc"
