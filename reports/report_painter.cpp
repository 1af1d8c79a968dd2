#include "reports/report_painter.h"

#include <cmath>

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

namespace ReportPainter {

namespace {

constexpr double FrameWidthMm = 0.2;

struct Scale
{
    double x;
    double y;
    QRectF rect(const QRectF &mm) const { return {mm.x() * x, mm.y() * y, mm.width() * x, mm.height() * y}; }
};

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

} // namespace

void paintPage(QPainter &painter, const ReportDocument::Page &page, TextWidths &widths)
{
    const QPaintDevice *device = painter.device();
    const Scale scale{device->logicalDpiX() / 25.4, device->logicalDpiY() / 25.4};
    painter.save();
    painter.setPen(QPen(Qt::black, FrameWidthMm * scale.x));
    painter.setBrush(Qt::NoBrush);
    ReportFonts::Face face = ReportFonts::Face::Ming;
    double pointSize = 0;
    double ascent = 0;
    double textHeight = 0;
    for (const ReportItem &item : page.items) {
        if (item.framed)
            painter.drawRect(scale.rect(item.rect));
        // Fonts change seldom from one item to the next: set them only then.
        if (item.face != face || item.pointSize != pointSize) {
            face = item.face;
            pointSize = item.pointSize;
            painter.setFont(ReportFonts::font(face, pointSize));
            const QFontMetricsF &metrics = widths.metrics(face, pointSize);
            ascent = metrics.ascent();
            textHeight = metrics.ascent() + metrics.descent();
        }
        const QRectF inner = item.rect.adjusted(item.paddingMm, 0, -item.paddingMm, 0);
        const double block = item.lines.size() * item.lineHeightMm;
        double top = inner.center().y() - block / 2;
        for (const QString &line : item.lines) {
            if (!line.isEmpty()) {
                const QRectF box = scale.rect(QRectF(inner.x(), top, inner.width(), item.lineHeightMm));
                const double width = widths.width(line, face, pointSize);
                if (width <= box.width() && textHeight <= box.height() && drawsAsInABox(line)) {
                    // Where a layout in the box puts it: centred vertically, and
                    // on the left, the right or in the middle.
                    double xoff = 0;
                    if (item.alignment & Qt::AlignRight)
                        xoff = box.width() - width;
                    else if (item.alignment & Qt::AlignHCenter)
                        xoff = (box.width() - width) / 2;
                    const double yoff = (box.height() - textHeight) / 2;
                    // The layout keeps the top of a line in 64ths of a pixel.
                    const double baseline = std::trunc((box.y() + yoff) * 64) / 64 + ascent;
                    // It also clips the text to the box when the bounds it works
                    // out leave the box, if only by a rounding in the last digit
                    // (a right-aligned text): the same clip keeps the pages as they were.
                    const bool clip = !box.contains(QRectF(box.x() + xoff, box.y() + yoff, width, textHeight));
                    if (clip) {
                        painter.save();
                        painter.setClipRect(box, Qt::IntersectClip);
                    }
                    painter.drawText(QPointF(box.x() + xoff, baseline), line);
                    if (clip)
                        painter.restore();
                } else {
                    painter.drawText(box, int(item.alignment | Qt::AlignVCenter) | Qt::TextSingleLine, line);
                }
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
    TextWidths widths(&device);
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
        paintPage(painter, document.pages.at(index), widths);
    }
    if (!painter.end()) {
        *error = QStringLiteral("報表頁面未能完成");
        return false;
    }
    return true;
}

} // namespace ReportPainter
