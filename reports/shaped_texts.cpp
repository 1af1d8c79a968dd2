#include "reports/shaped_texts.h"

#include "reports/reference_widths.h"

#include <QFontMetricsF>
#include <QTextLayout>

ShapedTexts::ShapedTexts(const QPaintDevice *device, std::shared_ptr<ReferenceWidths> measured)
    : m_device(device)
{
    if (measured && ReferenceWidths::fits(device))
        m_measured = std::move(measured);
}

ShapedTexts::~ShapedTexts() = default;

const ShapedTexts::Shape &ShapedTexts::shape(const QString &text, ReportFonts::Face face, double pointSize)
{
    // Point sizes in thousandths: the fitter's sizes go in tenths.
    const quint64 fontKey = (quint64(face) << 32) | quint32(qRound(pointSize * 1000));
    const std::pair<QString, quint64> key{text, fontKey};
    auto it = m_shapes.find(key);
    if (it != m_shapes.end()) {
        // Asked for again: now its glyphs are worth keeping.
        if (!it->second)
            *it = {laidOut(text, face, pointSize), true};
        return it->first;
    }
    if (m_shapes.size() >= MaxTexts)
        m_shapes.clear();
    Shape shape;
    if (m_measured && measure(text, face, pointSize, fontKey, &shape))
        return m_shapes.insert(key, {shape, false})->first;
    return m_shapes.insert(key, {laidOut(text, face, pointSize), true})->first;
}

bool ShapedTexts::measure(const QString &text, ReportFonts::Face face, double pointSize, quint64 fontKey,
                          Shape *shape)
{
    auto font = m_fonts.find(fontKey);
    if (font == m_fonts.end()) {
        const QFont f = ReportFonts::font(face, pointSize);
        const QFontMetricsF metrics(f, m_device);
        // The line of a box counts the ascent and descent of its font, unrounded.
        font = m_fonts.insert(fontKey, {QRawFont::fromFont(f), metrics.ascent(), metrics.ascent() + metrics.descent()});
    }
    // A character the main font lacks comes from another font, whose measures
    // the line takes too: such a text is laid out.
    for (QChar c : text) {
        if (c.isSurrogate() || !font->main.supportsCharacter(c))
            return false;
    }
    shape->width = m_measured->widths().width(text, face, pointSize);
    shape->ascent = font->ascent;
    shape->height = font->height;
    return true;
}

ShapedTexts::Shape ShapedTexts::laidOut(const QString &text, ReportFonts::Face face, double pointSize) const
{
    QTextLayout layout(text, ReportFonts::font(face, pointSize), m_device);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);   // the painter's direction
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    Shape shape;
    if (line.isValid()) {
        line.setLineWidth(0x01000000);   // one line however long, as in a box
        line.setPosition(QPointF(0, 0));
        shape.width = line.naturalTextWidth();
        shape.ascent = line.ascent();
        shape.height = line.ascent() + line.descent();   // as a box's layout counts it, unrounded
    }
    layout.endLayout();
    shape.runs = layout.glyphRuns();
    return shape;
}
