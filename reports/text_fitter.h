#pragma once

#include "reports/report_definition.h"
#include "reports/report_fonts.h"
#include "reports/reference_widths.h"

#include <QString>
#include <QStringList>

#include <memory>

// Measures texts in millimetres with the report fonts and fits them into cells.
//
// Widths come from the font's advances at a fixed reference resolution (1200
// dots per inch, the resolution of the PDF writer) on an image, not from the
// screen, so that a layout is the same with and without a display. The fonts
// are unhinted (see ReportFonts), so the widths hold on any device.
class TextFitter
{
public:
    static constexpr double MinPointSize = 6;   // smaller than this is no longer read on paper

    struct Fitted
    {
        QStringList lines;
        double pointSize = 10;
    };

    TextFitter();
    TextFitter(const TextFitter &) = delete;
    TextFitter &operator=(const TextFitter &) = delete;

    double widthMm(const QString &text, ReportFonts::Face face, double pointSize);

    // The widths measured so far, for the document the layout makes.
    std::shared_ptr<ReferenceWidths> measured() const { return m_reference; }

    // The text ("\n" separates its own lines) fitted into `widthMm`: unchanged when
    // every line fits; else, by `fit`, the long lines broken at the width, or the
    // whole text printed smaller, down to MinPointSize, and broken only below that.
    // Every character of the text is kept.
    Fitted fit(const QString &text, double widthMm, ReportDefinition::Fit fit, ReportFonts::Face face,
               double pointSize);

private:
    QStringList wrap(const QString &line, double widthMm, ReportFonts::Face face, double pointSize);

    // Whole texts (cells, headings, title fields) are measured once each; the
    // growing lines the wrapping tries, once per character, are not kept.
    std::shared_ptr<ReferenceWidths> m_reference = std::make_shared<ReferenceWidths>();
    TextWidths &m_widths = m_reference->widths();
};
