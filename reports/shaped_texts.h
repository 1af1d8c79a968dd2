#pragma once

#include "reports/report_fonts.h"

#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QRawFont>
#include <QString>

#include <memory>
#include <utility>

class QPaintDevice;
class ReferenceWidths;

// Report texts laid out once per text and font on one paint device: their
// glyphs with positions from the left end of the baseline's line, the line's
// width and height. A report prints the same labels, headings and amounts
// thousands of times; the painter draws the glyphs kept here at a worked-out
// position instead of laying each text out again.
//
// The layout is the one Qt makes of a single line in a box, so a text drawn
// from here lands where a text drawn in its box lands. At most MaxTexts texts
// are kept; past that the cache starts over, so a report of many distinct
// texts costs no more memory than one of a few.
//
// Most texts of a report (an account's code, its amount) are printed once.
// Laying out and keeping glyphs costs more than drawing the text from its
// baseline, so where the layout's widths serve the device, a text of the main
// font seen for the first time gets only its width and line measures (no runs:
// the painter draws it as text), and its glyphs when it is asked for again.
class ShapedTexts
{
public:
    static constexpr qsizetype MaxTexts = 8192;

    struct Shape
    {
        QList<QGlyphRun> runs;   // positions from the line's top left corner; none: draw as text
        double width = 0;        // device pixels, without trailing blanks
        double ascent = 0;       // from the line's top to its baseline
        double height = 0;       // ascent and descent of the line
    };

    // The device must outlive the object. `measured`: the layout's widths, used
    // when the device draws at their resolution.
    explicit ShapedTexts(const QPaintDevice *device, std::shared_ptr<ReferenceWidths> measured = {});
    ~ShapedTexts();
    ShapedTexts(const ShapedTexts &) = delete;
    ShapedTexts &operator=(const ShapedTexts &) = delete;

    const Shape &shape(const QString &text, ReportFonts::Face face, double pointSize);
    qsizetype cachedTexts() const { return m_shapes.size(); }

private:
    // The line measures and the main font of one face and size on the device.
    struct Font
    {
        QRawFont main;
        double ascent = 0;
        double height = 0;
    };

    Shape laidOut(const QString &text, ReportFonts::Face face, double pointSize) const;
    // A text whose every character the main font has: measured without its glyphs.
    bool measure(const QString &text, ReportFonts::Face face, double pointSize, quint64 fontKey, Shape *shape);

    const QPaintDevice *m_device;
    std::shared_ptr<ReferenceWidths> m_measured;
    QHash<quint64, Font> m_fonts;
    // Per text and font: the shape, and whether it is laid out (has its glyphs).
    QHash<std::pair<QString, quint64>, std::pair<Shape, bool>> m_shapes;
};
