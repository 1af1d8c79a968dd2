#pragma once

#include "reports/report_document.h"
#include "reports/shaped_texts.h"

#include <QList>
#include <QString>

class QPagedPaintDevice;
class QPainter;

// Paints laid-out pages: the same drawing for the PDF writer, the printer and
// the preview. Millimetres become device pixels here (mm x resolution / 25.4);
// fonts keep their point sizes, which the device turns into its own pixels.
namespace ReportPainter {

// Draws one page with the painter, whose origin is the paper's top left corner.
// Each line is drawn at a position worked out from its width (measured once per
// text and font in `shapes`, which must measure on the painter's device): from
// its kept glyphs, or as text from its baseline, never laid out in its box
// again; a line the box cannot hold whole, or one with blanks at an end or
// control characters, is still drawn in its box. paint() hands `shapes` the
// widths the layout measured, for a device at the layout's resolution.
void paintPage(QPainter &painter, const ReportDocument::Page &page, ShapedTexts &shapes);

// Draws the pages with the given indexes (0-based, in that order; every page
// when the list is empty) on the device, one device page each. The device's
// margins must be 0 (full page). False and *error when the device cannot be
// painted on.
bool paint(QPagedPaintDevice &device, const ReportDocument &document, const QList<int> &pageIndexes,
           QString *error);

} // namespace ReportPainter
