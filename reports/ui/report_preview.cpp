#include "reports/ui/report_preview.h"

#include "reports/band_layout.h"
#include "reports/pdf_report_writer.h"
#include "reports/report_painter.h"
#include "reports/workbook_report_writer.h"
#include "ui/dialog_runner.h"
#include "ui/messages.h"
#include "ui/window_placement.h"

#include <QAction>
#include <QFileDialog>
#include <QPageLayout>
#include <QPageRanges>
#include <QPageSize>
#include <QToolBar>

ReportPreview::ReportPreview(ReportDocument document, QWidget *parent)
    : m_document(std::move(document))
    , m_printer(QPrinter::HighResolution)
    , m_dialog(&m_printer, parent)
{
    m_printer.setPageLayout(QPageLayout(QPageSize(m_document.paperMm, QPageSize::Millimeter),
                                        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    // The layout places everything from the paper's corner, margins included.
    m_printer.setFullPage(true);
    m_printer.setDocName(m_document.title);

    m_dialog.setObjectName(QStringLiteral("frmPreview"));
    m_dialog.setWindowTitle(m_document.title);
    QObject::connect(&m_dialog, &QPrintPreviewDialog::paintRequested, &m_dialog,
                     [this](QPrinter *printer) { print(*printer); });

    m_savePdf = new QAction(QStringLiteral("另存PDF"), &m_dialog);
    m_savePdf->setObjectName(QStringLiteral("actSavePdf"));
    m_savePdf->setToolTip(QStringLiteral("將報表存為 PDF 檔"));
    QObject::connect(m_savePdf, &QAction::triggered, &m_dialog, [this] { askAndSavePdf(); });
    m_saveWorkbook = new QAction(QStringLiteral("另存Excel"), &m_dialog);
    m_saveWorkbook->setObjectName(QStringLiteral("actSaveExcel"));
    m_saveWorkbook->setToolTip(QStringLiteral("將報表存為 Excel 活頁簿"));
    // Enabled by the constructor that is given the definition and rows.
    m_saveWorkbook->setEnabled(false);
    QObject::connect(m_saveWorkbook, &QAction::triggered, &m_dialog, [this] { askAndSaveWorkbook(); });
    if (auto *toolbar = m_dialog.findChild<QToolBar *>()) {
        toolbar->addSeparator();
        toolbar->addAction(m_savePdf);
        toolbar->addAction(m_saveWorkbook);
    } else {
        m_dialog.addAction(m_savePdf);
        m_dialog.addAction(m_saveWorkbook);
    }
    WindowPlacement::maximise(&m_dialog);
}

ReportPreview::ReportPreview(ReportDefinition definition, QList<ReportRow> rows, QWidget *parent)
    : ReportPreview(BandLayout().layout(definition, rows), parent)
{
    m_definition = std::move(definition);
    m_rows = std::move(rows);
    m_saveWorkbook->setEnabled(true);
}

void ReportPreview::fitTo(QPrinter &printer)
{
    // The page as it stands in the printer, its orientation applied.
    const QSizeF page = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    const QSizeF own = m_document.paperMm;
    if (qAbs(page.width() - own.width()) < 0.5 && qAbs(page.height() - own.height()) < 0.5)
        return;
    BandLayout::Geometry geometry;
    geometry.paperWidth = page.width();
    geometry.paperHeight = page.height();
    if (m_definition && BandLayout::holds(*m_definition, geometry)) {
        m_document = BandLayout(geometry).layout(*m_definition, m_rows);
        return;
    }
    // The report's own paper back in the printer, standing as the pages stand.
    const bool landscape = own.width() > own.height();
    const QSizeF portrait = landscape ? own.transposed() : own;
    printer.setPageLayout(QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                                      landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0)));
}

void ReportPreview::print(QPrinter &printer)
{
    printer.setFullPage(true);
    fitTo(printer);
    QList<int> pages;
    const QPageRanges ranges = printer.pageRanges();
    if (!ranges.isEmpty()) {
        for (int i = 0; i < m_document.pageCount(); ++i) {
            if (ranges.contains(i + 1))
                pages << i;
        }
        if (pages.isEmpty())
            return;   // a range outside the report: nothing to print
    }
    QString error;
    if (!ReportPainter::paint(printer, m_document, pages, &error))
        Messages::current().error(error, &m_dialog);
}

bool ReportPreview::saveAsPdf(const QString &file)
{
    QString error;
    if (!PdfReportWriter::write(m_document, file, &error)) {
        Messages::current().error(error, &m_dialog);
        return false;
    }
    return true;
}

bool ReportPreview::saveAsWorkbook(const QString &file)
{
    QString error;
    if (!m_definition) {
        Messages::current().error(QStringLiteral("這份報表只有頁面，無法存為活頁簿"), &m_dialog);
        return false;
    }
    if (!WorkbookReportWriter::write(*m_definition, m_rows, file, &error)) {
        Messages::current().error(error, &m_dialog);
        return false;
    }
    return true;
}

QString ReportPreview::askFile(const QString &caption, const QString &objectName, const QString &filter,
                               const QString &suffix)
{
    QFileDialog chooser(&m_dialog, caption);
    chooser.setObjectName(objectName);
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setNameFilter(filter);
    chooser.setDefaultSuffix(suffix);
    chooser.selectFile(m_document.title + u'.' + suffix);
    if (DialogRunner::run(chooser) != QDialog::Accepted)
        return {};
    const QStringList files = chooser.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void ReportPreview::askAndSavePdf()
{
    const QString file = askFile(QStringLiteral("另存PDF"), QStringLiteral("dlgSavePdf"), QStringLiteral("PDF (*.pdf)"),
                                 QStringLiteral("pdf"));
    if (!file.isEmpty())
        saveAsPdf(file);
}

void ReportPreview::askAndSaveWorkbook()
{
    const QString file = askFile(QStringLiteral("另存Excel"), QStringLiteral("dlgSaveExcel"),
                                 QStringLiteral("Excel 活頁簿 (*.xlsx)"), QStringLiteral("xlsx"));
    if (!file.isEmpty())
        saveAsWorkbook(file);
}
