#pragma once

#include "reports/report_definition.h"
#include "reports/report_document.h"
#include "reports/report_row.h"

#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QString>

#include <optional>

class QAction;

// The preview of a laid-out report, from which the user prints it or saves it
// as a PDF. It is Qt's print preview (zoom, page navigation, page set-up,
// printing) on a high-resolution printer, with two more tool buttons: "另存PDF"
// and "另存Excel" (the report as a workbook, WorkbookReportWriter; only for a
// preview given the report's definition and rows, not its pages alone).
//
// The pages are laid out for the paper the printer holds. When the page set-up
// (or the printer chosen to print on) changes it, a report given with its
// definition and rows is laid out again for the new page, so a landscape page
// takes its rows on more, shorter pages with every page number; a page too
// small for the report's columns (BandLayout::holds), and any change to a
// preview given only its pages, keeps the report's own paper instead. A
// repaint on the same paper paints the same pages again. Printing honours the
// page range the print dialog chose. Run it through DialogRunner like any
// modal dialog:
//
//     ReportPreview preview(definition, rows, parent);
//     DialogRunner::run(preview.dialog());
class ReportPreview
{
public:
    ReportPreview(ReportDefinition definition, QList<ReportRow> rows, QWidget *parent = nullptr);
    explicit ReportPreview(ReportDocument document, QWidget *parent = nullptr);
    ReportPreview(const ReportPreview &) = delete;
    ReportPreview &operator=(const ReportPreview &) = delete;

    QPrintPreviewDialog &dialog() { return m_dialog; }
    const ReportDocument &document() const { return m_document; }
    QAction *savePdfAction() const { return m_savePdf; }
    QAction *saveWorkbookAction() const { return m_saveWorkbook; }

    // Lays the report out for the printer's paper as said above, then paints
    // the pages its page range names (every page when none).
    void print(QPrinter &printer);
    // Writes the report as a PDF; on failure the reason is shown and false returned.
    bool saveAsPdf(const QString &file);
    // Writes the report as a workbook; on failure the reason is shown and false returned.
    bool saveAsWorkbook(const QString &file);

private:
    void askAndSavePdf();
    void askAndSaveWorkbook();
    // The file the user chooses to save as, or empty.
    QString askFile(const QString &caption, const QString &objectName, const QString &filter,
                    const QString &suffix);
    void fitTo(QPrinter &printer);

    std::optional<ReportDefinition> m_definition;   // none: the pages only
    QList<ReportRow> m_rows;
    ReportDocument m_document;
    QPrinter m_printer;
    QPrintPreviewDialog m_dialog;
    QAction *m_savePdf = nullptr;
    QAction *m_saveWorkbook = nullptr;
};
