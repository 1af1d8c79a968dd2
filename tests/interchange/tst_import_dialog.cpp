#include "tests/interchange/import_fixture.h"

// The import dialog over the engine: the keys, the messages, the import-in-progress mark.
class TestImportDialog : public ImportFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }

    // The dialog, as the operating data tab opens it: Yes on a stored month,
    // the messages in order, the outcome the tab acts on, the edit mode.
    void dialogImportsOperatingData()
    {
        ScriptedMessages messages;
        messages.answerNext(true);
        ImportShell shell;
        CachedDataset qryMPBANK;
        const QString path = writeFile(QStringLiteral("B01ABC000008805"),
                                       crlf({b01("08805", "ABC0000", "11000", "7"),
                                             b01("08805", "ABC0000", "11500", "8")}));
        TfmENTERY dialog(DeclarationKind::B01, qryMPBANK, shell);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("匯入作業"));
        QVERIFY(dialog.windowState() & Qt::WindowMaximized);
        QCOMPARE(shell.importKind(), DeclarationKind::B01);
        QVERIFY(!shell.importInProgress());   // kind 1 sets no mark
        QList<TfmENTERY::Outcome> applied;
        int messagesAtApply = -1;
        dialog.setAppliedHandler([&](TfmENTERY::Outcome o) {
            applied << o;
            messagesAtApply = int(messages.records().size());
        });
        dialog.show();
        dialog.setFilePath(path);
        QCOMPARE(QDir::fromNativeSeparators(dialog.findChild<QLineEdit *>("edtFILENAME")->text()), path);
        QTest::mouseClick(dialog.findChild<QPushButton *>("sbOK"), Qt::LeftButton);

        QCOMPARE(messages.texts(), QStringList({"資料已存在是否確定修改!!!", "匯入作業完成!!!"}));
        QVERIFY(messages.records().at(0).isQuestion);
        QCOMPARE(messages.records().at(1).icon, Messages::Icon::Information);
        QCOMPARE(applied, QList<TfmENTERY::Outcome>{TfmENTERY::Outcome::Imported});
        QCOMPARE(messagesAtApply, 1);   // buttons set before the completion message
        QCOMPARE(dialog.outcome(), TfmENTERY::Outcome::Imported);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(shell.editMode(), EditMode::Browse);
        QCOMPARE(qryMPBANK.recordCount(), 2);
        QVERIFY(qryMPBANK.locate({"ACC_CODE"}, {"11500"}));
        QCOMPARE(qryMPBANK.value("ACCNAME").toString(), QStringLiteral("11500  存放央行"));
        QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5"), 2);
    }

    // Enter in the directory field goes to that directory and imports nothing;
    // Enter in the file name field imports the named file.
    void dialogKeyboard()
    {
        ScriptedMessages messages;
        messages.answerNext(true);
        ImportShell shell;
        CachedDataset qryMPBANK;
        const QString path = writeFile(QStringLiteral("B01ABC000008805"),
                                       crlf({b01("08805", "ABC0000", "11000", "7")}));
        TfmENTERY dialog(DeclarationKind::B01, qryMPBANK, shell);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *directory = dialog.findChild<QLineEdit *>("edtDIRECT");
        directory->setFocus();
        directory->setText(m_out->path());
        QTest::keyClick(directory, Qt::Key_Return);
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(QDir(dialog.directory()).canonicalPath(), QDir(m_out->path()).canonicalPath());
        QVERIFY(dialog.isVisible());

        auto *name = dialog.findChild<QLineEdit *>("edtFILENAME");
        name->setFocus();
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(messages.texts(), QStringList({"資料已存在是否確定修改!!!", "匯入作業完成!!!"}));
        QCOMPARE(dialog.outcome(), TfmENTERY::Outcome::Imported);
    }

    // A file of blank institutions: nothing stored, nothing added; the tab's
    // buttons go off and both messages show, the empty one first.
    void dialogFileOfBlankInstitutions()
    {
        ScriptedMessages messages;
        ImportShell shell;
        CachedDataset qryMPBANK;
        const QString path = writeFile(QStringLiteral("B01ABC000008805"),
                                       crlf({b01("08805", "", "11000", "7"), b01("08805", "", "11500", "8")}));
        TfmENTERY dialog(DeclarationKind::B01, qryMPBANK, shell);
        QList<TfmENTERY::Outcome> applied;
        dialog.setAppliedHandler([&](TfmENTERY::Outcome o) { applied << o; });
        dialog.show();
        dialog.setFilePath(path);
        QTest::mouseClick(dialog.findChild<QPushButton *>("sbOK"), Qt::LeftButton);

        QCOMPARE(messages.texts(), QStringList({"查無任何符合資料!!!", "匯入作業完成!!!"}));
        QCOMPARE(messages.records().at(0).icon, Messages::Icon::Warning);
        QCOMPARE(messages.records().at(0).caption, QStringLiteral("Velqora"));
        QCOMPARE(applied, QList<TfmENTERY::Outcome>{TfmENTERY::Outcome::ImportedEmpty});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(qryMPBANK.recordCount(), 0);
        QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5"), 3);   // the stored month of ABC untouched
        QCOMPARE(shell.editMode(), EditMode::Browse);
    }

    // Failures keep the dialog open (format, database), a mismatch and a No
    // close it without the completion message; kinds 2 to 5 hold the mark.
    void dialogFailuresAndMark()
    {
        ScriptedMessages messages;
        ImportShell shell;
        CachedDataset qryEM03;
        {
            TfmENTERY dialog(DeclarationKind::B02, qryEM03, shell);
            QVERIFY(shell.importInProgress());
            QCOMPARE(shell.importKind(), DeclarationKind::B02);
            dialog.show();
            dialog.setFilePath(writeFile(QStringLiteral("B02ABC000008805"),
                                         crlf({"08805ABC0000ABC001102500", "08805ABC0000ABC00110250"})));
            QTest::mouseClick(dialog.findChild<QPushButton *>("sbOK"), Qt::LeftButton);
            QCOMPARE(messages.texts(), QStringList({"檔案格式有誤,請查明 !!!"}));
            QCOMPARE(messages.records().at(0).icon, Messages::Icon::Warning);
            QVERIFY2(messages.records().at(0).detail.contains(QStringLiteral("第 2 行")),
                     qPrintable(messages.records().at(0).detail));
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.outcome(), TfmENTERY::Outcome::None);

            // Stored month, No: closes, nothing written, no completion.
            messages.clear();
            messages.answerNext(false);
            dialog.setFilePath(writeFile(QStringLiteral("B02ABC000008805"), crlf({"08805ABC0000ABC001109000"})));
            QTest::mouseClick(dialog.findChild<QPushButton *>("sbOK"), Qt::LeftButton);
            QCOMPARE(messages.texts(), QStringList({"資料已存在是否確定修改!!!"}));
            QCOMPARE(dialog.outcome(), TfmENTERY::Outcome::Declined);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(m_db->scalar("select M_RATE from EM03 where BANK_CODE1 = 'ABC0011'").toDouble(), 2.5);
        }
        QVERIFY(!shell.importInProgress());

        // Name and data disagree: information icon, closed, nothing else said.
        messages.clear();
        CachedDataset qryMPBANK;
        TfmENTERY dialog(DeclarationKind::B01, qryMPBANK, shell);
        dialog.show();
        dialog.setFilePath(writeFile(QStringLiteral("B01ABC000008806"), crlf({b01("08805", "ABC0000", "11000", "7")})));
        QTest::mouseClick(dialog.findChild<QPushButton *>("sbOK"), Qt::LeftButton);
        QCOMPARE(messages.texts(), QStringList({"檔名規則與資料內容不符,請查明再進行匯入!!!!!!"}));
        QCOMPARE(messages.records().at(0).icon, Messages::Icon::Information);
        QCOMPARE(dialog.outcome(), TfmENTERY::Outcome::Mismatch);
        QVERIFY(!dialog.isVisible());

        // The database refuses: its message, the dialog stays open.
        messages.clear();
        messages.answerNext(true);
        QVERIFY(refuseInserts(*m_db, "MPBANK"));
        TfmENTERY again(DeclarationKind::B01, qryMPBANK, shell);
        again.show();
        again.setFilePath(writeFile(QStringLiteral("B01ABC000008805"), crlf({b01("08805", "ABC0000", "11000", "7")})));
        QTest::mouseClick(again.findChild<QPushButton *>("sbOK"), Qt::LeftButton);
        QCOMPARE(messages.records().size(), 2);
        QCOMPARE(messages.records().at(1).icon, Messages::Icon::Critical);
        QVERIFY(messages.records().at(1).text.contains(QStringLiteral("refused by test trigger")));
        QVERIFY(again.isVisible());
        QCOMPARE(m_db->count("MPBANK", "M_MONTH = 5"), 3);

        // No file chosen: said, and the dialog stays.
        messages.clear();
        again.setFilePath(QString());
        QTest::mouseClick(again.findChild<QPushButton *>("sbOK"), Qt::LeftButton);
        QCOMPARE(messages.texts(), QStringList({ImportEngine::openFailedMessage()}));
        QVERIFY(again.isVisible());
        // A name typed relative to the directory shown.
        again.setDirectory(m_out->path());
        again.findChild<QLineEdit *>("edtFILENAME")->setText(QStringLiteral("B01ABC000008805"));
        QCOMPARE(again.filePath(), m_out->filePath("B01ABC000008805"));
    }
};

QTEST_MAIN(TestImportDialog)
#include "tst_import_dialog.moc"
