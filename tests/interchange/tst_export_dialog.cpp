#include "ui/dialog_runner.h"
#include "ui/messages.h"
#include "db/declaration_kind.h"
#include "interchange/ui/export_dialog.h"
#include "tests/support/database_test.h"
#include "tests/support/files.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

namespace {

QStringList entries(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

class TstExportDialog : public DatabaseTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void opensWithTheDocumentedState();
    void moveButtonsFollowTheirRules();
    void changingPeriodOrDirectoryRebuildsTheLists();
    void okWithNothingChosenWarns();
    void monthZeroSendsEveryEntryBack();
    void writesB01BeforeB03WhateverTheChosenOrder();
    void failureSendsTheEntryBackAndStops();
    void runsThroughTheDialogRunner();

private:
    struct Controls
    {
        QSpinBox *seYYY, *seMM;
        QListWidget *lbFile, *lbDesir;
        QPushButton *b1, *b2, *b3, *b4, *ok, *leave;
    };
    static Controls controls(TfmVELQ8EXIT &dlg);
    QStringList expectedEntries(const QString &dir, const QString &period) const;
    void insertRows();

    std::unique_ptr<ScriptedMessages> m_messages;
};

void TstExportDialog::init()
{
    DatabaseTest::init();
    m_messages = std::make_unique<ScriptedMessages>();
}

void TstExportDialog::cleanup()
{
    m_messages.reset();
    DatabaseTest::cleanup();
}

TstExportDialog::Controls TstExportDialog::controls(TfmVELQ8EXIT &dlg)
{
    Controls c{dlg.findChild<QSpinBox *>("seYYY"), dlg.findChild<QSpinBox *>("seMM"),
               dlg.findChild<QListWidget *>("lbFile"), dlg.findChild<QListWidget *>("lbDesir"),
               dlg.findChild<QPushButton *>("Button1"), dlg.findChild<QPushButton *>("Button2"),
               dlg.findChild<QPushButton *>("Button3"), dlg.findChild<QPushButton *>("Button4"),
               dlg.findChild<QPushButton *>("sbOK"), dlg.findChild<QPushButton *>("BitBtn2")};
    Q_ASSERT(c.seYYY && c.seMM && c.lbFile && c.lbDesir && c.b1 && c.b2 && c.b3 && c.b4 && c.ok && c.leave);
    return c;
}

QStringList TstExportDialog::expectedEntries(const QString &dir, const QString &period) const
{
    QStringList out;
    for (const char *k : {"B01", "B02", "B03", "B04", "B05"})
        out << dir + "/" + k + "ABC0000" + period;
    return out;
}

void TstExportDialog::insertRows()
{
    QVERIFY(m_db->insertRow("MPBANK", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "11000"},
                                       {"AMT", 1.5}, {"SERIAL", 1}}));
    QVERIFY(m_db->insertRow("EM08", {{"BANK_CODE", "ABC"}, {"M_YEAR", 88}, {"M_MONTH", 5}, {"FLAG1", "1"},
                                     {"FLAG2", "2"}, {"FLAG3", "10"}, {"FLAG4", "1"}, {"RATE", 2.5}}));
}

void TstExportDialog::opensWithTheDocumentedState()
{
    TfmVELQ8EXIT dlg(QStringLiteral("ABC"));
    const Controls c = controls(dlg);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("資料匯出"));
    QVERIFY(dlg.windowState() & Qt::WindowMaximized);
    QCOMPARE(c.seYYY->value(), 88);
    QCOMPARE(c.seYYY->minimum(), 0);
    QCOMPARE(c.seYYY->maximum(), 999);
    QCOMPARE(c.seMM->value(), 0);
    QCOMPARE(c.seMM->maximum(), 12);
    QCOMPARE(c.b1->text(), QStringLiteral(">"));
    QCOMPARE(c.b2->text(), QStringLiteral(">>"));
    QCOMPARE(c.b3->text(), QStringLiteral("<"));
    QCOMPARE(c.b4->text(), QStringLiteral("<<"));
    QCOMPARE(c.ok->text(), QStringLiteral("確定"));
    QCOMPARE(c.leave->text(), QStringLiteral("離開"));
    QStringList labels;
    for (const QLabel *l : dlg.findChildren<QLabel *>())
        labels << l->text();
    for (const char *text : {"年  ", "月  ", "輸出目錄:", "選擇輸出目錄:", "檔名:", "欲匯出之檔案名稱:"})
        QVERIFY2(labels.contains(QString::fromUtf8(text)), text);

    dlg.setDirectory(m_out->path());
    QCOMPARE(entries(c.lbFile), expectedEntries(m_out->path(), "08800"));
    QCOMPARE(c.lbFile->currentRow(), 0);
    QVERIFY(entries(c.lbDesir).isEmpty());
    QVERIFY(c.b1->isEnabled() && c.b2->isEnabled());
    QVERIFY(!c.b3->isEnabled() && !c.b4->isEnabled());

    // The root takes no second separator.
    dlg.setDirectory(QStringLiteral("/"));
    QCOMPARE(c.lbFile->item(0)->text(), QStringLiteral("/B01ABC000008800"));
}

void TstExportDialog::moveButtonsFollowTheirRules()
{
    TfmVELQ8EXIT dlg(QStringLiteral("ABC"));
    dlg.setDirectory(m_out->path());
    const Controls c = controls(dlg);
    const QStringList all = expectedEntries(m_out->path(), "08800");

    // ">" moves the selected entry to the end; the offered list keeps the index.
    c.lbFile->setCurrentRow(2);
    QTest::mouseClick(c.b1, Qt::LeftButton);
    QCOMPARE(entries(c.lbDesir), QStringList{all[2]});
    QCOMPARE(c.lbFile->currentRow(), 2);
    QCOMPARE(c.lbFile->currentItem()->text(), all[3]);
    QCOMPARE(c.lbDesir->currentRow(), 0);
    QVERIFY(c.b3->isEnabled() && c.b4->isEnabled());

    // ... or its last entry when the index is past the end.
    c.lbFile->setCurrentRow(3);
    QTest::mouseClick(c.b1, Qt::LeftButton);
    QCOMPARE(entries(c.lbDesir), QStringList({all[2], all[4]}));
    QCOMPARE(c.lbFile->currentRow(), 2);
    QCOMPARE(c.lbDesir->currentRow(), 1);

    // "<" moves back to the end of the offered list, which selects its last entry.
    c.lbDesir->setCurrentRow(0);
    QTest::mouseClick(c.b3, Qt::LeftButton);
    QCOMPARE(entries(c.lbFile), QStringList({all[0], all[1], all[3], all[2]}));
    QCOMPARE(c.lbFile->currentRow(), 3);
    QCOMPARE(entries(c.lbDesir), QStringList{all[4]});
    QCOMPARE(c.lbDesir->currentRow(), 0);

    // ">>" appends everything in order and selects the first chosen entry.
    QTest::mouseClick(c.b2, Qt::LeftButton);
    QCOMPARE(entries(c.lbDesir), QStringList({all[4], all[0], all[1], all[3], all[2]}));
    QCOMPARE(c.lbDesir->currentRow(), 0);
    QVERIFY(!c.b1->isEnabled() && !c.b2->isEnabled());
    QVERIFY(c.b3->isEnabled() && c.b4->isEnabled());
    QTest::mouseClick(c.b1, Qt::LeftButton);   // disabled: nothing happens
    QCOMPARE(c.lbDesir->count(), 5);

    // "<<" the other way.
    QTest::mouseClick(c.b4, Qt::LeftButton);
    QCOMPARE(entries(c.lbFile), QStringList({all[4], all[0], all[1], all[3], all[2]}));
    QCOMPARE(c.lbFile->currentRow(), 0);
    QVERIFY(c.lbDesir->count() == 0);
    QVERIFY(c.b1->isEnabled() && c.b2->isEnabled());
    QVERIFY(!c.b3->isEnabled() && !c.b4->isEnabled());

    // Nothing selected: ">" does nothing.
    c.lbFile->setCurrentRow(-1);
    dlg.Button1Click();
    QCOMPARE(c.lbFile->count(), 5);
}

void TstExportDialog::changingPeriodOrDirectoryRebuildsTheLists()
{
    TfmVELQ8EXIT dlg(QStringLiteral("ABC"));
    dlg.setDirectory(m_out->path());
    const Controls c = controls(dlg);
    QTest::mouseClick(c.b2, Qt::LeftButton);
    c.seMM->setValue(5);
    QCOMPARE(entries(c.lbFile), expectedEntries(m_out->path(), "08805"));
    QVERIFY(c.lbDesir->count() == 0);
    QCOMPARE(c.lbFile->currentRow(), 0);
    QVERIFY(!c.b3->isEnabled());

    QTest::mouseClick(c.b1, Qt::LeftButton);
    c.seYYY->setValue(1000);   // clamped to 999
    QCOMPARE(c.seYYY->value(), 999);
    QCOMPARE(entries(c.lbFile), expectedEntries(m_out->path(), "99905"));
    QVERIFY(c.lbDesir->count() == 0);

    QTest::mouseClick(c.b1, Qt::LeftButton);
    const QString sub = m_out->filePath("OUT");
    dlg.setDirectory(sub + "/");
    QCOMPARE(dlg.directory(), sub);
    QCOMPARE(entries(c.lbFile), expectedEntries(sub, "99905"));
    QVERIFY(c.lbDesir->count() == 0);
}

void TstExportDialog::okWithNothingChosenWarns()
{
    TfmVELQ8EXIT dlg(QStringLiteral("ABC"));
    dlg.setDirectory(m_out->path());
    QTest::mouseClick(controls(dlg).ok, Qt::LeftButton);
    QCOMPARE(m_messages->texts(), QStringList{"沒有選擇任何欲傳送的資料 !!!"});
    QCOMPARE(m_messages->records().first().icon, Messages::Icon::Warning);
    QCOMPARE(m_messages->records().first().caption, QStringLiteral("Velqora"));
}

void TstExportDialog::monthZeroSendsEveryEntryBack()
{
    insertRows();
    TfmVELQ8EXIT dlg(QStringLiteral("ABC"));
    dlg.setDirectory(m_out->path());
    const Controls c = controls(dlg);
    QTest::mouseClick(c.b2, Qt::LeftButton);
    QTest::mouseClick(c.ok, Qt::LeftButton);
    QCOMPARE(m_messages->texts(),
             QStringList({"查無符合之營運資料!!!", "查無符合之各營業單位逾期放款比率資料!!!",
                          "查無符合之銀行縣市別資料檔!!!", "查無符合之票券利率業務統計檔資料!!!",
                          "查無符合之票券交易業務統計資料!!!"}));
    for (const auto &r : m_messages->records())
        QCOMPARE(r.icon, Messages::Icon::None);
    QVERIFY(!m_messages->said("匯出作業完成!!!"));
    QVERIFY(c.lbDesir->count() == 0);
    const QStringList all = expectedEntries(m_out->path(), "08800");
    QCOMPARE(entries(c.lbFile), QStringList({all[0], all[1], all[4], all[2], all[3]}));
    QVERIFY(!c.b3->isEnabled() && !c.b4->isEnabled());
    QVERIFY(QDir(m_out->path()).isEmpty());
}

void TstExportDialog::writesB01BeforeB03WhateverTheChosenOrder()
{
    insertRows();
    TfmVELQ8EXIT dlg(QStringLiteral("ABC"));
    dlg.setDirectory(m_out->path());
    const Controls c = controls(dlg);
    c.seMM->setValue(5);
    const QStringList all = expectedEntries(m_out->path(), "08805");
    // Existing files show the order in which the kinds are reached.
    for (const QString &path : {all[0], all[2]})
        QVERIFY(writeFile(path, "old"));
    c.lbFile->setCurrentRow(2);   // B03 first
    QTest::mouseClick(c.b1, Qt::LeftButton);
    c.lbFile->setCurrentRow(0);   // then B01
    QTest::mouseClick(c.b1, Qt::LeftButton);
    QCOMPARE(entries(c.lbDesir), QStringList({all[2], all[0]}));

    m_messages->answerNext(true);
    m_messages->answerNext(false);
    QTest::mouseClick(c.ok, Qt::LeftButton);
    QCOMPARE(m_messages->texts(), QStringList({all[0] + "  檔案已存在是否確定覆蓋!!!",
                                               all[2] + "  檔案已存在是否確定覆蓋!!!", "匯出作業完成!!!"}));
    QVERIFY(m_messages->records().at(0).isQuestion);
    QCOMPARE(m_messages->records().at(2).icon, Messages::Icon::Information);
    // The box names the file written with its records and fingerprint (as
    // sha256sum gives it); not the file kept.
    QCOMPARE(m_messages->records().at(2).detail,
             all[0] + "  1 筆  SHA-256 75a3fe93001161adbf40e6d5d1500062021e2e2dbf081abb42e606eebd6a916b");
    QCOMPARE(contents(all[0]), QByteArray("08805ABC000011000" "000000000001.5\r\n"));
    QCOMPARE(contents(all[2]), QByteArray("old"));
    // Written and kept entries stay chosen: OK again writes them again.
    QCOMPARE(entries(c.lbDesir), QStringList({all[2], all[0]}));
}

void TstExportDialog::failureSendsTheEntryBackAndStops()
{
    insertRows();
    QVERIFY(m_db->insertRow("EM03", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"BANK_CODE1", "ABC0011"},
                                     {"M_RATE", 123.0}}));
    TfmVELQ8EXIT dlg(QStringLiteral("ABC"));
    dlg.setDirectory(m_out->path());
    const Controls c = controls(dlg);
    c.seMM->setValue(5);
    QTest::mouseClick(c.b2, Qt::LeftButton);
    QTest::mouseClick(c.ok, Qt::LeftButton);

    const QStringList all = expectedEntries(m_out->path(), "08805");
    QCOMPARE(m_messages->texts(), QStringList{"各營業單位逾期放款比率檔匯出失敗!!!"});
    const auto &failed = m_messages->records().first();
    QCOMPARE(failed.icon, Messages::Icon::Warning);
    QVERIFY2(failed.detail.contains("M_RATE"), qPrintable(failed.detail));
    // B02 back to the offered list; B01 was written and stays; the rest was not reached.
    QCOMPARE(entries(c.lbFile), QStringList{all[1]});
    QCOMPARE(entries(c.lbDesir), QStringList({all[0], all[2], all[3], all[4]}));
    QVERIFY(QFile::exists(all[0]));
    QVERIFY(!QFile::exists(all[1]));
    QVERIFY(!QFile::exists(all[2]));
    QCOMPARE(dlg.lastResult().of(DeclarationKind::get(DeclarationKind::B03)).outcome,
             ExportEngine::Outcome::NotProcessed);
}

void TstExportDialog::runsThroughTheDialogRunner()
{
    insertRows();
    QWidget owner;
    const QString dir = m_out->path();
    DialogRunner::Scoped driver([&](QDialog &d) {
        auto &dlg = static_cast<TfmVELQ8EXIT &>(d);
        dlg.setDirectory(dir);
        const Controls c = controls(dlg);
        c.seMM->setValue(5);
        QTest::mouseClick(c.b2, Qt::LeftButton);
        QTest::mouseClick(c.ok, Qt::LeftButton);
        QTest::mouseClick(c.leave, Qt::LeftButton);
        return dlg.result();
    });
    TfmVELQ8EXIT dlg(QStringLiteral("ABC"), &owner);
    QCOMPARE(DialogRunner::run(dlg), int(QDialog::Rejected));
    QVERIFY(m_messages->said("匯出作業完成!!!"));
    QVERIFY(QFile::exists(dir + "/B01ABC000008805"));
    QVERIFY(QFile::exists(dir + "/B03ABC000008805"));
}

QTEST_MAIN(TstExportDialog)
#include "tst_export_dialog.moc"
