#pragma once

#include "reports/report_fonts.h"

#include <QFontMetricsF>
#include <QHash>
#include <QString>

#include <utility>

class QPaintDevice;

// The widths of texts in the pixels of one paint device, each text measured
// once per font: a report prints the same labels, headings and amounts
// thousands of times, and measuring a text shapes it anew every time.
//
// The fonts are those of ReportFonts as the device resolves them (at its
// resolution), so a width is the one the device draws. At most MaxTexts widths
// are kept; past that the cache starts over, so a report of many distinct texts
// costs no more memory than one of a few.
class TextWidths
{
public:
    static constexpr qsizetype MaxTexts = 16384;

    // The device must outlive the object.
    explicit TextWidths(const QPaintDevice *device);
    TextWidths(const TextWidths &) = delete;
    TextWidths &operator=(const TextWidths &) = delete;

    // The metrics of the face at the size on the device, made once.
    const QFontMetricsF &metrics(ReportFonts::Face face, double pointSize);
    // The advance of the text in device pixels.
    double width(const QString &text, ReportFonts::Face face, double pointSize);
    qsizetype cachedTexts() const { return m_widths.size(); }

private:
    static quint64 fontKey(ReportFonts::Face face, double pointSize);

    const QPaintDevice *m_device;
    QHash<quint64, QFontMetricsF> m_metrics;
    QHash<std::pair<QString, quint64>, double> m_widths;
};
