#include "reports/report_kind.h"
#include "reports/ui/report_parameter_dialog.h"
#include "reports/ui/report_preview.h"
#include "ui/dialog_runner.h"
#include "ui/messages.h"
#include "ui/period_spin_edit.h"
#include "tests/reports/workbook_reader.h"
#include "tests/support/files.h"
#include "tests/support/report_pages.h"
#include "tests/support/test_database.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

// The report parameter dialog as a user drives it, and the preview it opens
// (saved as a PDF, printed), on the shipped sample month 115/10 (every formula holds there).
class TstReportDialog : public QObject
{
    Q_OBJECT
private slots:
    void opensOnTodayAndClearsToZerosAndYuan();
    void periodIsClampedAsTyped_data();
    void periodIsClampedAsTyped();
    void printShowsThePreviewOrTheMessage_data();
    void printShowsThePreviewOrTheMessage();
    void printingHonoursThePageRange();
    void layoutFollowsThePrintersPage_data();
    void layoutFollowsThePrintersPage();
    void countyListOffersCountiesWithData_data();
    void countyListOffersCountiesWithData();
    void savesAsWorkbookFromThePreview_data();
    void savesAsWorkbookFromThePreview();
    void workbookNeedsTheReportsRows();
};

namespace {

const QDate Today(2026, 3, 5);

struct Dialog
{
    explicit Dialog(const char *name)
        : dialog(*ReportKind::byDialogName(QString::fromLatin1(name)), nullptr, [] { return Today; })
    {
        dialog.show();
    }
    ReportParameterDialog dialog;
};

void type(PeriodSpinEdit *edit, const QString &text)
{
    edit->clearText();
    QTest::keyClicks(edit, text);
}

int pdfPages(const QString &file)
{
    if (!QFile::exists(file))
        return -1;
    return int(QString::fromLatin1(contents(file)).count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

} // namespace

void TstReportDialog::opensOnTodayAndClearsToZerosAndYuan()
{
    TestDatabase db;
    Dialog d("TfmVELQ8REPH");
    QCOMPARE(d.dialog.windowTitle(), QStringLiteral("營運資料明細檢核表"));
    QCOMPARE(d.dialog.seYYY->editText() + "/" + d.dialog.seMM->editText(), QStringLiteral("115/3"));
    QCOMPARE(d.dialog.cbxUnit->currentText(), QStringLiteral("元"));
    QCOMPARE(d.dialog.cbxUnit->itemText(3), QStringLiteral("百萬元"));
    QStringList texts;
    for (const QLabel *label : d.dialog.findChildren<QLabel *>())
        texts << label->text();
    for (const QPushButton *button : {d.dialog.sbPrint, d.dialog.sbClear, d.dialog.sbExit})
        texts << button->text();
    QCOMPARE(texts, (QStringList{"日  期", "年       月", "單位金額", "列  印", "清畫面", "離  開"}));

    d.dialog.cbxUnit->setCurrentIndex(2);
    QTest::mouseClick(d.dialog.sbClear, Qt::LeftButton);
    QCOMPARE(d.dialog.seYYY->editText() + d.dialog.seMM->editText() + d.dialog.cbxUnit->currentText(), QString());
    const std::optional<ReportRequest> request = d.dialog.request();
    QVERIFY(request);
    QCOMPARE(request->period, (Period{0, 0}));
    QCOMPARE(request->unit.text(), QStringLiteral("元"));
    QCOMPARE(request->printedOn, Today);
    QTest::mouseClick(d.dialog.sbExit, Qt::LeftButton);
    QVERIFY(!d.dialog.isVisible());
}

void TstReportDialog::periodIsClampedAsTyped_data()
{
    QTest::addColumn<bool>("year");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("year 1500") << true << "1500" << "999";
    QTest::newRow("year 1000") << true << "1000" << "999";
    QTest::newRow("year 999 stays") << true << "999" << "999";
    QTest::newRow("month 13") << false << "13" << "12";
    QTest::newRow("month 12 stays") << false << "12" << "12";
    QTest::newRow("month emptied stays empty") << false << "" << "";
}

void TstReportDialog::periodIsClampedAsTyped()
{
    QFETCH(bool, year);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TestDatabase db;
    Dialog d("TfmVELQ8REPA");
    PeriodSpinEdit *edit = year ? d.dialog.seYYY : d.dialog.seMM;
    type(edit, typed);
    QCOMPARE(edit->editText(), shown);
}

void TstReportDialog::printShowsThePreviewOrTheMessage_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("change");   // a statement run on the sample database first
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("pages");        // of the preview; 0: none opened
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");

    const int plain = int(Messages::Icon::None);
    const int warning = int(Messages::Icon::Warning);
    QTest::newRow("detail of the sample month") << "TfmVELQ8REPA" << "" << "115" << "萬元" << 2 << "" << 0;
    QTest::newRow("detail with an emptied unit") << "TfmVELQ8REPA" << "" << "115" << "" << 2 << "" << 0;
    QTest::newRow("detail with a unit of blanks") << "TfmVELQ8REPA" << "" << "115" << "   " << 2 << "" << 0;
    QTest::newRow("detail of an empty year")
        << "TfmVELQ8REPA" << "" << "114" << "元" << 0 << "查無符合資料理!!" << plain;
    QTest::newRow("a unit typed by hand is refused")
        << "TfmVELQ8REPA" << "" << "115" << "美元" << 0 << AmountUnit::refusal("美元") << warning;
    QTest::newRow("check of a month that holds")
        << "TfmVELQ8REPH" << "" << "115" << "元" << 0 << "資料完全符合!!!" << warning;
    QTest::newRow("check of an empty year")
        << "TfmVELQ8REPH" << "" << "114" << "元" << 0 << "查無符合資料!!!" << plain;
    QTest::newRow("check of a month that fails")
        << "TfmVELQ8REPH" << "UPDATE MPBANK SET AMT = AMT + 1 WHERE ACC_CODE = '11000'" << "115" << "萬元" << 1
        << "" << 0;
    QTest::newRow("overdue ratios of the sample month") << "TfmVELQ8REPB" << "" << "115" << "元" << 1 << "" << 0;
    QTest::newRow("bills rates of the sample month") << "TfmVELQ8REPC" << "" << "115" << "仟元" << 1 << "" << 0;
    QTest::newRow("bills trading of an empty year")
        << "TfmVELQ8REPD" << "" << "114" << "元" << 0 << "查無符合資料理!!" << plain;
    QTest::newRow("county detail of every county") << "TfmVELQ8REPI" << "" << "115" << "百萬元" << 22 << "" << 0;
    QTest::newRow("county check of a month that holds")
        << "TfmVELQ8REPJ" << "" << "115" << "" << 0 << "資料完全符合!!!" << warning;
    QTest::newRow("county check of a month that fails")
        << "TfmVELQ8REPJ" << "UPDATE HMPBANK SET AMT = AMT + 1 WHERE ACC_CODE = '10000' AND HSIEN_ID = 'A'" << "115"
        << "" << 1 << "" << 0;
    QTest::newRow("county check of an empty year says nothing")
        << "TfmVELQ8REPJ" << "" << "114" << "" << 0 << "" << 0;
}

void TstReportDialog::printShowsThePreviewOrTheMessage()
{
    QFETCH(QString, dialog);
    QFETCH(QString, change);
    QFETCH(QString, year);
    QFETCH(QString, unit);
    QFETCH(int, pages);
    QFETCH(QString, message);
    QFETCH(int, icon);
    TestDatabase db;
    QVERIFY(db.isValid());
    if (!change.isEmpty())
        QVERIFY(db.exec(change));
    ScriptedMessages messages;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("報表.pdf"));
    int previews = 0;
    int previewPages = -1;
    DialogRunner::Scoped driver([&](QDialog &shown) {
        if (auto *chooser = qobject_cast<QFileDialog *>(&shown)) {
            chooser->selectFile(file);
            return int(QDialog::Accepted);
        }
        if (auto *preview = qobject_cast<QPrintPreviewDialog *>(&shown)) {
            ++previews;
            previewPages = preview->findChild<QPrintPreviewWidget *>()->pageCount();
            // Saved as a PDF from the preview's tool bar.
            auto *save = preview->findChild<QAction *>(QStringLiteral("actSavePdf"));
            if (save && preview->findChild<QToolBar *>()->actions().contains(save))
                save->trigger();
        }
        return int(QDialog::Rejected);
    });
    Dialog d(dialog.toLatin1().constData());
    type(d.dialog.seYYY, year);
    type(d.dialog.seMM, QStringLiteral("10"));
    if (d.dialog.cbxUnit)
        d.dialog.cbxUnit->setEditText(unit);
    QTest::mouseClick(d.dialog.sbPrint, Qt::LeftButton);

    QCOMPARE(previews, pages > 0 ? 1 : 0);
    if (pages > 0) {
        QCOMPARE(previewPages, pages);
        QVERIFY2(messages.records().isEmpty(), qPrintable(messages.texts().join(" | ")));
        QCOMPARE(filesIn(dir.path()), QStringList{"報表.pdf"});   // no temporary left
        QCOMPARE(pdfPages(file), pages);
    } else if (message.isEmpty()) {
        QCOMPARE(messages.texts(), QStringList{});
    } else {
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(int(messages.records().first().icon), icon);
        QCOMPARE(messages.records().first().caption, QStringLiteral("Velqora"));
    }
    QVERIFY(d.dialog.isVisible());   // the dialog stays open for the next report
}

void TstReportDialog::printingHonoursThePageRange()
{
    QTemporaryDir dir;
    ReportDocument document;
    document.title = QStringLiteral("營運資料明細表");
    for (int i = 0; i < 3; ++i)
        document.pages.append(ReportDocument::Page{});
    ReportPreview preview(document);

    const QString file = dir.filePath(QStringLiteral("printed.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageRanges(QPageRanges::fromString(QStringLiteral("2-3")));
    preview.print(printer);
    QCOMPARE(pdfPages(file), 2);
}

void TstReportDialog::layoutFollowsThePrintersPage_data()
{
    QTest::addColumn<QSizeF>("paper");     // as the page set-up leaves it, portrait
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QSizeF>("printed");   // the paper the pages are laid out and printed on
    const QSizeF a4(210, 297);
    QTest::newRow("A4, the report's own") << a4 << false << a4;
    QTest::newRow("A4 landscape: laid out again") << a4 << true << a4.transposed();
    QTest::newRow("Letter: laid out again") << QSizeF(215.9, 279.4) << false << QSizeF(215.9, 279.4);
    // 148 mm leaves no room for the 180 mm of columns: the report keeps A4.
    QTest::newRow("A5, too narrow: the report's own kept") << QSizeF(148, 210) << false << a4;
}

// Whatever page the preview's set-up gives the printer, every row is printed and
// every page has its number, on the paper the pages were laid out for.
void TstReportDialog::layoutFollowsThePrintersPage()
{
    QFETCH(QSizeF, paper);
    QFETCH(bool, landscape);
    QFETCH(QSizeF, printed);
    ReportDefinition definition;
    definition.title = QStringLiteral("營運資料明細表");
    definition.titleFields = QStringList{"總機構名稱:範例銀行", "製表日期:2026/03/05"};
    definition.columns = {{"科目代碼", 30}, {"科目名稱", 90}, {"金額", 60, Qt::AlignRight}};
    QList<ReportRow> rows;
    QStringList expected;
    for (int i = 1; i <= 120; ++i) {
        rows.append({{QString::number(10000 + i), QStringLiteral("科目 %1").arg(i), QString::number(i * 1000)}});
        expected << rows.last().cells.join(u'|');
    }
    ReportPreview preview(definition, rows);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("printed.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(paper, QPageSize::Millimeter));
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    preview.print(printer);

    const ReportDocument &document = preview.document();
    QVERIFY2(qAbs(document.paperMm.width() - printed.width()) < 0.5
                 && qAbs(document.paperMm.height() - printed.height()) < 0.5,
             qPrintable(QStringLiteral("%1 x %2").arg(document.paperMm.width()).arg(document.paperMm.height())));
    const QSizeF page = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    QVERIFY(qAbs(page.width() - printed.width()) < 0.5 && qAbs(page.height() - printed.height()) < 0.5);
    QCOMPARE(ReportPages::lines(document), expected);
    QStringList numbers, wanted;
    for (int i = 0; i < document.pageCount(); ++i) {
        wanted << QStringLiteral("頁次:%1").arg(i + 1);
        for (const ReportItem &item : document.pages.at(i).items) {
            QVERIFY(item.rect.right() <= printed.width() && item.rect.bottom() <= printed.height());
            if (item.role == ReportItem::Role::Footer)
                numbers << item.text();
        }
    }
    QCOMPARE(numbers, wanted);
    QCOMPARE(pdfPages(file), document.pageCount());
}

void TstReportDialog::countyListOffersCountiesWithData_data()
{
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QString>("county");
    QTest::newRow("every county") << 0 << "0";
    QTest::newRow("one county") << 2 << "C";
}

void TstReportDialog::countyListOffersCountiesWithData()
{
    QFETCH(int, chosen);
    QFETCH(QString, county);
    TestDatabase db;
    // A keeps the sample month, C has rows of another month only, and Y has rows
    // but is not in CD01.
    for (const char *change : {"DELETE FROM HMPBANK WHERE HSIEN_ID NOT IN ('A', 'C')",
                               "UPDATE HMPBANK SET M_MONTH = 9 WHERE HSIEN_ID = 'C'",
                               "INSERT INTO HMPBANK (M_YEAR, M_MONTH, BANK_CODE, HSIEN_ID, ACC_CODE, AMT) "
                               "VALUES (115, 10, '995', 'Y', '10000', 1)"})
        QVERIFY(db.exec(QString::fromUtf8(change)));
    Dialog d("TfmVELQ8REPI");
    QComboBox *list = d.dialog.findChild<QComboBox *>(QStringLiteral("cmbHSIENNAME"));
    QVERIFY(list && d.dialog.findChild<QComboBox *>(QStringLiteral("cmbUNIT")));
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    QCOMPARE(items, (QStringList{"0  所有縣市", "A  臺北市", "C  基隆市"}));
    QCOMPARE(list->currentIndex(), 0);
    list->setCurrentIndex(chosen);
    QCOMPARE(d.dialog.request()->county, county);
}

void TstReportDialog::savesAsWorkbookFromThePreview_data()
{
    QTest::addColumn<QString>("target");    // chosen in the file dialog, in an empty folder
    QTest::addColumn<QString>("message");   // empty: written
    QTest::newRow("written") << "報表.xlsx" << "";
    QTest::newRow("a folder that does not exist: the reason shown") << "none/報表.xlsx" << "無法寫入檔案";
}

// "另存Excel" on the preview's tool bar, after "另存PDF": the workbook of the
// rows the preview shows, or the reason it was not written.
void TstReportDialog::savesAsWorkbookFromThePreview()
{
    QFETCH(QString, target);
    QFETCH(QString, message);
    TestDatabase db;
    QVERIFY(db.isValid());
    ScriptedMessages messages;
    QTemporaryDir dir;
    const QString file = dir.filePath(target);
    QStringList tools;
    DialogRunner::Scoped driver([&](QDialog &shown) {
        if (auto *chooser = qobject_cast<QFileDialog *>(&shown)) {
            if (chooser->objectName() != QLatin1String("dlgSaveExcel"))
                return int(QDialog::Rejected);
            chooser->selectFile(file);
            return int(QDialog::Accepted);
        }
        if (auto *preview = qobject_cast<QPrintPreviewDialog *>(&shown)) {
            const QList<QAction *> actions = preview->findChild<QToolBar *>()->actions();
            for (QAction *action : actions.mid(actions.size() - 2))
                tools << action->text();
            auto *save = preview->findChild<QAction *>(QStringLiteral("actSaveExcel"));
            if (save && save->isEnabled())
                save->trigger();
        }
        return int(QDialog::Rejected);
    });
    Dialog d("TfmVELQ8REPA");
    type(d.dialog.seYYY, QStringLiteral("115"));
    type(d.dialog.seMM, QStringLiteral("10"));
    QTest::mouseClick(d.dialog.sbPrint, Qt::LeftButton);

    QCOMPARE(tools, (QStringList{"另存PDF", "另存Excel"}));
    if (message.isEmpty()) {
        QVERIFY2(messages.records().isEmpty(), qPrintable(messages.texts().join(" | ")));
        const WorkbookReader workbook(file);
        QCOMPARE(workbook.sheetNames(), QStringList{"營運資料明細表"});
        const WorkbookReader::Cell amount = workbook.cells(0).value(QStringLiteral("C6"));
        QVERIFY(amount.number);
        QCOMPARE(amount.value.toDouble(), 12345678.5);
    } else {
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY2(messages.texts().first().startsWith(message), qPrintable(messages.texts().first()));
    }
    QCOMPARE(filesIn(dir.path()), message.isEmpty() ? QStringList{target} : QStringList{});
}

// A preview given its pages alone has no figures to write: no workbook.
void TstReportDialog::workbookNeedsTheReportsRows()
{
    ScriptedMessages messages;
    QTemporaryDir dir;
    ReportDocument document;
    document.title = QStringLiteral("營運資料明細表");
    document.pages.append(ReportDocument::Page{});
    ReportPreview pagesOnly(document);
    QVERIFY(!pagesOnly.saveWorkbookAction()->isEnabled());
    QVERIFY(!pagesOnly.saveAsWorkbook(dir.filePath(QStringLiteral("a.xlsx"))));
    QCOMPARE(messages.texts().size(), 1);
    QCOMPARE(filesIn(dir.path()), QStringList{});
}

QTEST_MAIN(TstReportDialog)
#include "tst_report_dialog.moc"
