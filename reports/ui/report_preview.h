#pragma once

#include "reports/report_document.h"

#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QString>

class QAction;

// The preview of a laid-out report, from which the user prints it or saves it
// as a PDF. It is Qt's print preview (zoom, page navigation, page set-up,
// printing) on a high-resolution printer, with one more tool button "另存PDF".
//
// The layout is kept: every repaint the preview asks for (zoom, page set-up)
// only paints the same pages again. Printing honours the page range the print
// dialog chose. Run it through DialogRunner like any modal dialog:
//
//     ReportPreview preview(document, parent);
//     DialogRunner::run(preview.dialog());
class ReportPreview
{
public:
    explicit ReportPreview(ReportDocument document, QWidget *parent = nullptr);
    ReportPreview(const ReportPreview &) = delete;
    ReportPreview &operator=(const ReportPreview &) = delete;

    QPrintPreviewDialog &dialog() { return m_dialog; }
    const ReportDocument &document() const { return m_document; }
    QAction *savePdfAction() const { return m_savePdf; }

    // Paints the pages the printer's page range names (every page when none).
    void print(QPrinter &printer);
    // Writes the report as a PDF; on failure the reason is shown and false returned.
    bool saveAsPdf(const QString &file);

private:
    void askAndSavePdf();

    ReportDocument m_document;
    QPrinter m_printer;
    QPrintPreviewDialog m_dialog;
    QAction *m_savePdf = nullptr;
};
