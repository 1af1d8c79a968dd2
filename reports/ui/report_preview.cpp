#include "reports/ui/report_preview.h"

#include "reports/band_layout.h"
#include "reports/pdf_report_writer.h"
#include "reports/report_painter.h"
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
    if (auto *toolbar = m_dialog.findChild<QToolBar *>()) {
        toolbar->addSeparator();
        toolbar->addAction(m_savePdf);
    } else {
        m_dialog.addAction(m_savePdf);
    }
    WindowPlacement::maximise(&m_dialog);
}

ReportPreview::ReportPreview(ReportDefinition definition, QList<ReportRow> rows, QWidget *parent)
    : ReportPreview(BandLayout().layout(definition, rows), parent)
{
    m_definition = std::move(definition);
    m_rows = std::move(rows);
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

void ReportPreview::askAndSavePdf()
{
    QFileDialog chooser(&m_dialog, QStringLiteral("另存PDF"));
    chooser.setObjectName(QStringLiteral("dlgSavePdf"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setNameFilter(QStringLiteral("PDF (*.pdf)"));
    chooser.setDefaultSuffix(QStringLiteral("pdf"));
    chooser.selectFile(m_document.title + QStringLiteral(".pdf"));
    if (DialogRunner::run(chooser) != QDialog::Accepted)
        return;
    const QStringList files = chooser.selectedFiles();
    if (!files.isEmpty())
        saveAsPdf(files.first());
}
