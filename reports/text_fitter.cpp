#include "reports/text_fitter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double PixelsPerMm = ReferenceWidths::Dpi / 25.4;

// A little room so that a text measured as just fitting is not drawn against the frame.
constexpr double SlackMm = 0.05;

bool isBreakAfter(QChar c)
{
    return c == u' ' || c == u',' || c == u'，' || c == u'、';
}

} // namespace

TextFitter::TextFitter() = default;

double TextFitter::widthMm(const QString &text, ReportFonts::Face face, double pointSize)
{
    return m_widths.width(text, face, pointSize) / PixelsPerMm;
}

QStringList TextFitter::wrap(const QString &line, double widthMm, ReportFonts::Face face, double pointSize)
{
    const QFontMetricsF &metrics = m_widths.metrics(face, pointSize);
    QStringList out;
    QString current;
    qsizetype lastBreak = -1;   // length of `current` after its last break opportunity
    for (qsizetype i = 0; i < line.size();) {
        const qsizetype len = line.at(i).isHighSurrogate() && i + 1 < line.size() ? 2 : 1;
        const QString ch = line.mid(i, len);
        if (!current.isEmpty() && metrics.horizontalAdvance(current + ch) / PixelsPerMm > widthMm - SlackMm) {
            // Break after the last blank or comma when there is one, else here.
            const qsizetype at = lastBreak > 0 ? lastBreak : current.size();
            out << current.left(at);
            current = current.mid(at);
            lastBreak = -1;
            continue;   // measure the character again against the shorter line
        }
        current += ch;
        if (isBreakAfter(ch.at(0)))
            lastBreak = current.size();
        i += len;
    }
    out << current;
    return out;
}

TextFitter::Fitted TextFitter::fit(const QString &text, double widthMm, ReportDefinition::Fit fit,
                                   ReportFonts::Face face, double pointSize)
{
    Fitted result{text.split(u'\n'), pointSize};
    double widest = 0;
    for (const QString &line : std::as_const(result.lines))
        widest = std::max(widest, this->widthMm(line, face, pointSize));
    if (widest <= widthMm - SlackMm)
        return result;

    if (fit == ReportDefinition::Fit::Shrink) {
        // Point sizes in steps of a tenth, rounded down so the text surely fits.
        double size = std::floor(pointSize * (widthMm - SlackMm) / widest * 10) / 10;
        auto fits = [&](double s) {
            for (const QString &line : std::as_const(result.lines)) {
                if (this->widthMm(line, face, s) > widthMm - SlackMm)
                    return false;
            }
            return true;
        };
        // Advances scale with the size only nearly: step down until it fits.
        while (size >= MinPointSize && !fits(size))
            size -= 0.1;
        if (size >= MinPointSize) {
            result.pointSize = size;
            return result;
        }
        result.pointSize = MinPointSize;
    }
    QStringList lines;
    for (const QString &line : std::as_const(result.lines)) {
        if (this->widthMm(line, face, result.pointSize) <= widthMm - SlackMm)
            lines << line;
        else
            lines << wrap(line, widthMm, face, result.pointSize);
    }
    result.lines = lines;
    return result;
}
