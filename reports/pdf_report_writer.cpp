#include "reports/pdf_report_writer.h"

#include "reports/report_painter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

namespace PdfReportWriter {

bool write(const ReportDocument &document, const QString &file, QString *error)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("無法寫入檔案 %1: %2").arg(file, out.errorString());
        return false;
    }
    bool painted = false;
    {
        // The writer must be gone (its trailer written) before the file is committed.
        QPdfWriter pdf(&out);
        pdf.setResolution(1200);
        pdf.setPageLayout(QPageLayout(QPageSize(document.paperMm, QPageSize::Millimeter),
                                      QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        pdf.setTitle(document.title);
        pdf.setCreator(QStringLiteral("Velqora<VELQ8>"));
        painted = ReportPainter::paint(pdf, document, {}, error);
    }
    if (!painted) {
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        *error = QStringLiteral("無法寫入檔案 %1: %2").arg(file, out.errorString());
        return false;
    }
    return true;
}

} // namespace PdfReportWriter
