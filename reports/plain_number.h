#pragma once

#include <QString>
#include <QVariant>

// A figure printed without a picture, as its plain number text: 4.5 as "4.5",
// 3 as "3", 0 as "0" (no picture, so zero is not an empty cell), up to 15
// significant digits so that a stored 0.1 + 0.2 does not print as
// 0.30000000000000004. A field without a value prints empty.
namespace PlainNumber {

inline QString text(const QVariant &value)
{
    return value.isNull() ? QString() : QString::number(value.toDouble(), 'g', 15);
}

// The same figure as a number (ReportRow::figures): a double, or null without a value.
inline QVariant figure(const QVariant &value)
{
    return value.isNull() ? QVariant() : QVariant(value.toDouble());
}

} // namespace PlainNumber
