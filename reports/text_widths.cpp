#include "reports/text_widths.h"

TextWidths::TextWidths(const QPaintDevice *device)
    : m_device(device)
{
}

quint64 TextWidths::fontKey(ReportFonts::Face face, double pointSize)
{
    // Point sizes in thousandths: the fitter's sizes go in tenths.
    return (quint64(face) << 32) | quint32(qRound(pointSize * 1000));
}

const QFontMetricsF &TextWidths::metrics(ReportFonts::Face face, double pointSize)
{
    const quint64 key = fontKey(face, pointSize);
    auto it = m_metrics.find(key);
    if (it == m_metrics.end())
        it = m_metrics.insert(key, QFontMetricsF(ReportFonts::font(face, pointSize), m_device));
    return it.value();
}

double TextWidths::width(const QString &text, ReportFonts::Face face, double pointSize)
{
    const std::pair<QString, quint64> key{text, fontKey(face, pointSize)};
    const auto known = m_widths.constFind(key);
    if (known != m_widths.cend())
        return known.value();
    const double width = metrics(face, pointSize).horizontalAdvance(text);
    if (m_widths.size() >= MaxTexts)
        m_widths.clear();
    m_widths.insert(key, width);
    return width;
}
