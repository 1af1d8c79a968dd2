#pragma once

#include "reports/report_document.h"

#include <QString>

// Writes a laid-out report as a PDF: A4 portrait, the fonts embedded (only the
// glyphs used) with their text kept extractable, the report title as the
// document's title.
//
// The PDF is written to a temporary file beside the target and renamed onto it
// only when complete, so a failure never leaves a partial file (nor touches an
// existing one).
namespace PdfReportWriter {

bool write(const ReportDocument &document, const QString &file, QString *error);

} // namespace PdfReportWriter
