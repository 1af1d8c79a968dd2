#pragma once

#include "common/decimal4.h"

#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>
#include <QVariant>

// One field of a line as it was read, without a copy: a text is a view of the
// line's own bytes (institution code shortened, trailing blanks dropped), so a
// whole file is read without a string per field. Only the member of the field's
// rendering is set: `integer` for a year or month, `number` for an amount,
// `text` for the rest. Valid while the bytes read stay.
struct FieldReading
{
    QByteArrayView text;
    int integer = 0;
    Decimal4 number;

    QLatin1StringView latin1() const { return QLatin1StringView(text.data(), text.size()); }
};
