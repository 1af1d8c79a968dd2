#include "reports/report_painter.h"

#include <QGlyphRun>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#include <cmath>

namespace ReportPainter {

namespace {

constexpr double FrameWidthMm = 0.2;

struct Scale
{
    double x;
    double y;
    QRectF rect(const QRectF &mm) const { return {mm.x() * x, mm.y() * y, mm.width() * x, mm.height() * y}; }
};

// Positions as Qt's text layout keeps them: in 64ths of a pixel, cut off.
double sixtyFourths(double pixels)
{
    return std::trunc(pixels * 64) / 64;
}

// Whether the line is drawn as Qt's layout in a box would draw it, had it been
// given the box: no blank at an end (the layout leaves trailing blanks out of
// the alignment) and no character the layout turns into another (tab, line
// break, the separator of length variants).
bool drawsAsInABox(const QString &line)
{
    if (line.front().isSpace() || line.back().isSpace())
        return false;
    for (QChar c : line) {
        if (c.unicode() < 0x20 || c.unicode() == 0x9c || c == QChar::LineSeparator)
            return false;
    }
    return true;
}

// The line's glyphs where a layout in the box puts them: centred vertically,
// and on the left, the right or in the middle.
void drawInBox(QPainter &painter, const QRectF &box, Qt::Alignment alignment, const QString &line,
               const ShapedTexts::Shape &shape)
{
    double xoff = 0;
    if (alignment & Qt::AlignRight)
        xoff = box.width() - shape.width;
    else if (alignment & Qt::AlignHCenter)
        xoff = (box.width() - shape.width) / 2;
    const double yoff = (box.height() - shape.height) / 2;
    // The layout keeps the line's corner in 64ths of a pixel.
    const QPointF corner(sixtyFourths(box.x() + xoff), sixtyFourths(box.y() + yoff));
    // It also clips the text to the box when the bounds it works out leave
    // the box, if only by a rounding in the last digit (a right-aligned text):
    // the same clip keeps the pages as they were.
    const bool clip = !box.contains(QRectF(box.x() + xoff, box.y() + yoff, shape.width, shape.height));
    if (clip) {
        painter.save();
        painter.setClipRect(box, Qt::IntersectClip);
    }
    // A line of one font is drawn from its glyphs when they are kept. A line
    // drawn once, or one whose characters come from several fonts, is drawn as
    // text from its baseline (the pieces of several fonts written in their
    // order, as the box would write them).
    if (shape.runs.size() == 1)
        painter.drawGlyphRun(corner, shape.runs.first());
    else
        painter.drawText(QPointF(corner.x(), corner.y() + shape.ascent), line);
    if (clip)
        painter.restore();
}

} // namespace

void paintPage(QPainter &painter, const ReportDocument::Page &page, ShapedTexts &shapes)
{
    const QPaintDevice *device = painter.device();
    const Scale scale{device->logicalDpiX() / 25.4, device->logicalDpiY() / 25.4};
    painter.save();
    painter.setPen(QPen(Qt::black, FrameWidthMm * scale.x));
    painter.setBrush(Qt::NoBrush);
    ReportFonts::Face face = ReportFonts::Face::Ming;
    double pointSize = 0;
    for (const ReportItem &item : page.items) {
        if (item.framed)
            painter.drawRect(scale.rect(item.rect));
        // Fonts change seldom from one item to the next: set them only then.
        if (item.face != face || item.pointSize != pointSize) {
            face = item.face;
            pointSize = item.pointSize;
            painter.setFont(ReportFonts::font(face, pointSize));
        }
        const QRectF inner = item.rect.adjusted(item.paddingMm, 0, -item.paddingMm, 0);
        const double block = item.lines.size() * item.lineHeightMm;
        double top = inner.center().y() - block / 2;
        for (const QString &line : item.lines) {
            if (!line.isEmpty()) {
                const QRectF box = scale.rect(QRectF(inner.x(), top, inner.width(), item.lineHeightMm));
                const ShapedTexts::Shape &shape = shapes.shape(line, face, pointSize);
                if (shape.width <= box.width() && shape.height <= box.height() && drawsAsInABox(line))
                    drawInBox(painter, box, item.alignment, line, shape);
                else
                    painter.drawText(box, int(item.alignment | Qt::AlignVCenter) | Qt::TextSingleLine, line);
            }
            top += item.lineHeightMm;
        }
    }
    painter.restore();
}

bool paint(QPagedPaintDevice &device, const ReportDocument &document, const QList<int> &pageIndexes,
           QString *error)
{
    QList<int> indexes = pageIndexes;
    if (indexes.isEmpty()) {
        for (int i = 0; i < document.pageCount(); ++i)
            indexes << i;
    }
    QPainter painter;
    if (!painter.begin(&device)) {
        *error = QStringLiteral("無法開始繪製報表頁面");
        return false;
    }
    ShapedTexts shapes(&device, document.measured);
    bool first = true;
    for (int index : std::as_const(indexes)) {
        if (index < 0 || index >= document.pageCount())
            continue;
        if (!first && !device.newPage()) {
            *error = QStringLiteral("無法開始新的報表頁面");
            painter.end();
            return false;
        }
        first = false;
        paintPage(painter, document.pages.at(index), shapes);
    }
    if (!painter.end()) {
        *error = QStringLiteral("報表頁面未能完成");
        return false;
    }
    return true;
}

} // namespace ReportPainter
