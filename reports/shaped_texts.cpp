#include "reports/shaped_texts.h"

#include <QTextLayout>

ShapedTexts::ShapedTexts(const QPaintDevice *device)
    : m_device(device)
{
}

const ShapedTexts::Shape &ShapedTexts::shape(const QString &text, ReportFonts::Face face, double pointSize)
{
    // Point sizes in thousandths: the fitter's sizes go in tenths.
    const std::pair<QString, quint64> key{text, (quint64(face) << 32) | quint32(qRound(pointSize * 1000))};
    auto it = m_shapes.find(key);
    if (it != m_shapes.end())
        return it.value();
    if (m_shapes.size() >= MaxTexts)
        m_shapes.clear();

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
    return m_shapes.insert(key, shape).value();
}
