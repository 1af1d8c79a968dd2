#pragma once

#include "reports/report_definition.h"
#include "reports/report_document.h"
#include "reports/report_row.h"
#include "reports/text_fitter.h"

#include <QList>

// The band layout: a definition and its rows become pages of positioned items,
// in millimetres, without a paint device.
//
// Every page has, from the top: the title block (on the first page only, or on
// every page), the name of its group (when groups start pages), one row of
// framed column headings, the framed detail rows, and at the bottom the footer
// "頁次:" with the page number. A row that does not fit above the footer goes to
// the next page whole; a row of a new group starts a new page when the
// definition says so.
class BandLayout
{
public:
    // The measures of the frame every report shares: A4 portrait, 10 mm margins.
    struct Geometry
    {
        double paperWidth = 210;
        double paperHeight = 297;
        double margin = 10;
        double titlePointSize = 20;
        double bodyPointSize = 10;
        double titleHeight = 11;
        double fieldLineHeight = 6;    // a line of title fields or the group caption
        double titleGap = 2;           // between the title block and the headings
        double lineHeight = 5;         // a line of text in a heading or a cell
        double rowPadding = 1;         // above and below the lines of a row, together
        double headingHeight = 7;      // at least
        double cellPadding = 1.5;      // left and right inside a frame
        double footerHeight = 6;
        double footerGap = 2;          // between the last row and the footer
    };

    BandLayout() = default;
    explicit BandLayout(const Geometry &geometry) : m_geometry(geometry) {}

    const Geometry &geometry() const { return m_geometry; }

    ReportDocument layout(const ReportDefinition &definition, const QList<ReportRow> &rows);

    // Whether the geometry's paper takes the definition's pages: the columns side
    // by side within the margins, and under the title block and the headings
    // room for at least MinimumRows one-line rows above the footer. A smaller
    // paper would cut columns off or print a few rows to a page.
    static constexpr int MinimumRows = 10;
    static bool holds(const ReportDefinition &definition, const Geometry &geometry);

private:
    class Run;

    Geometry m_geometry;
    TextFitter m_fitter;
};
