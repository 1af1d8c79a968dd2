#include "reports/pdf_report_writer.h"

#include "common/whole_file_writer.h"

#include "reports/report_painter.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

namespace PdfReportWriter {

bool write(const ReportDocument &document, const QString &file, QString *error)
{
    // Painted into memory first (a report is a few hundred kilobytes), then
    // written whole: a failure leaves no partial file and no stray temporary,
    // and says the system's reason.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool painted = false;
    {
        // The writer must be gone (its trailer written) before the bytes are complete.
        QPdfWriter pdf(&buffer);
        pdf.setResolution(1200);
        pdf.setPageLayout(QPageLayout(QPageSize(document.paperMm, QPageSize::Millimeter),
                                      QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        pdf.setTitle(document.title);
        pdf.setCreator(QStringLiteral("Velqora<VELQ8>"));
        painted = ReportPainter::paint(pdf, document, {}, error);
    }
    if (!painted)
        return false;
    QString reason;
    if (!WholeFileWriter::write(file, bytes, &reason)) {
        *error = QStringLiteral("無法寫入檔案 %1").arg(reason);
        return false;
    }
    return true;
}

} // namespace PdfReportWriter
