#include "migration/field_conversion.h"

#include "common/big5_text.h"

#include <QDate>

#include <cmath>

using FieldConversion::Result;

namespace {

// dBASE pads a character field with blanks; some programs wrote NULs instead.
QByteArray withoutPadding(const QByteArray &bytes)
{
    qsizetype end = bytes.size();
    while (end > 0 && (bytes.at(end - 1) == ' ' || bytes.at(end - 1) == '\0'))
        --end;
    return bytes.left(end);
}

// Numbers stand right-aligned, so their text has blanks on both sides.
QByteArray numberText(const QByteArray &bytes)
{
    return withoutPadding(bytes).trimmed();
}

// The bytes as a message shows them.
QString shown(const QByteArray &bytes)
{
    return Big5Text::decode(numberText(bytes));
}

// The empty text, as opposed to a null QString, which the database driver
// writes as NULL.
QString emptyText()
{
    return QStringLiteral("");
}

Result toText(const QByteArray &bytes, const DbfField &source, const FieldDef &target)
{
    // A character field keeps its leading blanks; a number or date written into
    // a text field of the new table loses the blanks of its alignment.
    const QByteArray kept = source.type == 'C' ? withoutPadding(bytes) : numberText(bytes);
    QString text;
    if (!Big5Text::decode(kept, &text)) {
        return {{}, QStringLiteral("%1 的文字無法以 Big5 解碼 (%2)")
                        .arg(target.name, QString::fromLatin1(kept.toHex(' ').toUpper()))};
    }
    // The bytes are Big5 already: their count is the width in the new table.
    if (kept.size() > target.width) {
        return {{}, QStringLiteral("%1 寬 %2 位元組，超過欄寬 %3: %4")
                        .arg(target.name)
                        .arg(kept.size())
                        .arg(target.width)
                        .arg(text)};
    }
    return {text.isEmpty() ? emptyText() : text, {}};
}

Result toFloat(const QByteArray &bytes, const FieldDef &target)
{
    const QByteArray text = numberText(bytes);
    if (text.isEmpty())
        return {};
    // QByteArray::toDouble reads the C locale's notation whatever the user's locale.
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return {{}, QStringLiteral("%1 不是數值: %2").arg(target.name, shown(bytes))};
    return {v, {}};
}

Result toSmallInt(const QByteArray &bytes, const FieldDef &target)
{
    const Result number = toFloat(bytes, target);
    if (!number.refusal.isEmpty() || number.value.isNull())
        return number;
    const double v = number.value.toDouble();
    if (v != std::floor(v))
        return {{}, QStringLiteral("%1 不是整數: %2").arg(target.name, shown(bytes))};
    if (v < -32768 || v > 32767)
        return {{}, QStringLiteral("%1 超出 -32768 至 32767: %2").arg(target.name, shown(bytes))};
    return {int(v), {}};
}

Result toDate(const QByteArray &bytes, const FieldDef &target)
{
    const QByteArray text = numberText(bytes);
    if (text.isEmpty() || text == "00000000")
        return {};
    const QDate day = QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyyMMdd"));
    if (text.size() != 8 || !day.isValid())
        return {{}, QStringLiteral("%1 不是有效日期: %2").arg(target.name, shown(bytes))};
    return {day.toString(Qt::ISODate), {}};
}

} // namespace

namespace FieldConversion {

Result convert(const QByteArray &bytes, const DbfField &source, const FieldDef &target)
{
    switch (target.type) {
    case FieldType::Text:
        return toText(bytes, source, target);
    case FieldType::SmallInt:
        return toSmallInt(bytes, target);
    case FieldType::Float:
        return toFloat(bytes, target);
    case FieldType::Date:
        return toDate(bytes, target);
    }
    return {};
}

QVariant absentValue(const FieldDef &target)
{
    if (target.type == FieldType::Text)
        return emptyText();
    return {};
}

} // namespace FieldConversion
