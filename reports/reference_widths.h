#pragma once

#include "reports/text_widths.h"

#include <QImage>

class QPaintDevice;

// The widths of texts at the layout's reference resolution (1200 dots per inch,
// the resolution of the PDF writer), on an image of its own, so that the layout
// measures the same with and without a display.
//
// The layout that measured the texts hands them on with its document: a painter
// on a device of the same resolution draws the same fonts at the same sizes in
// the same pixels, and takes a width from here instead of shaping the text once
// more to measure it.
class ReferenceWidths
{
public:
    static constexpr double Dpi = 1200;

    ReferenceWidths();
    ReferenceWidths(const ReferenceWidths &) = delete;
    ReferenceWidths &operator=(const ReferenceWidths &) = delete;

    TextWidths &widths() { return m_widths; }
    // Whether the device draws in the reference pixels.
    static bool fits(const QPaintDevice *device);

private:
    QImage m_device;
    TextWidths m_widths{&m_device};
};
