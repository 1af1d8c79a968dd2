#include "reports/report_painter.h"

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

} // namespace

void paintPage(QPainter &painter, const ReportDocument::Page &page)
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
                const QRectF box(inner.x(), top, inner.width(), item.lineHeightMm);
                painter.drawText(scale.rect(box), int(item.alignment | Qt::AlignVCenter) | Qt::TextSingleLine, line);
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
        paintPage(painter, document.pages.at(index));
    }
    if (!painter.end()) {
        *error = QStringLiteral("報表頁面未能完成");
        return false;
    }
    return true;
}

} // namespace ReportPainter
