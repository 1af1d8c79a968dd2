#include "reports/reference_widths.h"

#include <QPaintDevice>

ReferenceWidths::ReferenceWidths()
    : m_device(1, 1, QImage::Format_RGB32)
{
    const int dotsPerMeter = qRound(Dpi / 0.0254);
    m_device.setDotsPerMeterX(dotsPerMeter);
    m_device.setDotsPerMeterY(dotsPerMeter);
}

bool ReferenceWidths::fits(const QPaintDevice *device)
{
    return device->logicalDpiX() == int(Dpi) && device->logicalDpiY() == int(Dpi);
}
