#pragma once

#include "reports/report_fonts.h"

#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QString>

#include <utility>

class QPaintDevice;

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
class ShapedTexts
{
public:
    static constexpr qsizetype MaxTexts = 8192;

    struct Shape
    {
        QList<QGlyphRun> runs;   // positions from the line's top left corner
        double width = 0;        // device pixels, without trailing blanks
        double ascent = 0;       // from the line's top to its baseline
        double height = 0;       // ascent and descent of the line
    };

    // The device must outlive the object.
    explicit ShapedTexts(const QPaintDevice *device);
    ShapedTexts(const ShapedTexts &) = delete;
    ShapedTexts &operator=(const ShapedTexts &) = delete;

    const Shape &shape(const QString &text, ReportFonts::Face face, double pointSize);
    qsizetype cachedTexts() const { return m_shapes.size(); }

private:
    const QPaintDevice *m_device;
    QHash<std::pair<QString, quint64>, Shape> m_shapes;
};
