#include "migration/field_conversion.h"

#include "common/small_int.h"
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

// The first control character of a text (a NUL, a tab, a line break...), or -1.
// Big5's second bytes start at 0x40, so such a byte is never part of a character.
qsizetype controlAt(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).category() == QChar::Other_Control)
            return i;
    }
    return -1;
}

// The bytes as a message shows them; in hexadecimal when they hold a control
// character, which would break the message's line or cut it short.
QString shown(const QByteArray &bytes)
{
    const QByteArray text = numberText(bytes);
    const QString decoded = Big5Text::decode(text);
    if (controlAt(decoded) >= 0)
        return QString::fromLatin1(text.toHex(' ').toUpper());
    return decoded;
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
    // A NUL cuts the stored text short; a tab or a line break would break every
    // line the text is written on (this report's, a declaration file's).
    if (const qsizetype at = controlAt(text); at >= 0) {
        const QString code = QString::number(text.at(at).unicode(), 16).toUpper().rightJustified(2, u'0');
        return {{}, QStringLiteral("%1 含控制字元 0x%2 (第 %3 個字)").arg(target.name, code).arg(at + 1)};
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
    if (!SmallInt::contains(v))
        return {{}, QStringLiteral("%1 超出 %2 至 %3: %4")
                        .arg(target.name, QString::number(SmallInt::Min), QString::number(SmallInt::Max), shown(bytes))};
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
