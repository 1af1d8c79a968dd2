#include "common/big5_text.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

namespace Big5Text {

namespace {

// Bytes one character (a code point, given as its UTF-16 units) takes in Big5,
// or 0 when Big5 has no code for it. Asking the converter costs a converter of
// its own each time (its error state cannot be reset), so each character's
// answer is kept: a text of the tables repeats a few thousand characters at most.
int converterWidth(QStringView unit)
{
    QStringEncoder encoder("Big5", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(unit);
    if (encoder.hasError() || bytes.isEmpty())
        return 0;
    // The converter substitutes unmappable characters; a round trip tells.
    QStringDecoder decoder("Big5", QStringConverter::Flag::Stateless);
    const QString back = decoder.decode(bytes);
    if (back != unit)
        return 0;
    return int(bytes.size());
}

int charWidth(QStringView unit)
{
    if (unit.size() == 1 && unit[0].unicode() < 0x80)
        return 1;
    const char32_t codePoint = unit.size() == 2 ? QChar::surrogateToUcs4(unit[0], unit[1])
                                                : char32_t(unit[0].unicode());
    thread_local QHash<char32_t, int> widths;
    const auto it = widths.constFind(codePoint);
    if (it != widths.cend())
        return *it;
    const int width = converterWidth(unit);
    widths.insert(codePoint, width);
    return width;
}

template <typename Visit>
void forEachChar(QStringView text, Visit visit)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        if (!visit(text.mid(i, len), i))
            return;
        i += len;
    }
}

} // namespace

bool canEncode(QStringView text)
{
    bool ok = true;
    forEachChar(text, [&](QStringView ch, qsizetype) {
        ok = charWidth(ch) != 0;
        return ok;
    });
    return ok;
}

QByteArray encode(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    forEachChar(text, [&](QStringView ch, qsizetype) {
        if (ch.size() == 1 && ch[0].unicode() < 0x80) {
            out += char(ch[0].unicode());
        } else if (charWidth(ch) == 0) {
            out += '?';
        } else {
            QStringEncoder encoder("Big5", QStringConverter::Flag::Stateless);
            out += encoder.encode(ch);
        }
        return true;
    });
    return out;
}

QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder("Big5", QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

bool decode(const QByteArray &bytes, QString *text)
{
    bool ascii = true;
    for (const char c : bytes)
        ascii = ascii && quint8(c) < 0x80;
    if (ascii) {
        *text = QString::fromLatin1(bytes);
        return true;
    }
    // A decoder of its own for each text: resetState() leaves the error of an
    // earlier text standing, which would refuse every text after it.
    QStringDecoder decoder("Big5", QStringConverter::Flag::Stateless);
    *text = decoder.decode(bytes);
    return !decoder.hasError();
}

int byteLength(QStringView text)
{
    int total = 0;
    forEachChar(text, [&](QStringView ch, qsizetype) {
        const int w = charWidth(ch);
        total += w == 0 ? 1 : w;
        return true;
    });
    return total;
}

bool fits(QStringView text, int widthInBytes)
{
    return byteLength(text) <= widthInBytes;
}

QString refusal(QStringView text, int widthInBytes)
{
    int total = 0;
    bool encodable = true;
    forEachChar(text, [&](QStringView ch, qsizetype) {
        const int w = charWidth(ch);
        encodable = w != 0;
        total += w;
        return encodable;
    });
    if (!encodable)
        return QStringLiteral("含有 Big5 無法表示的字元: %1").arg(text);
    if (total > widthInBytes)
        return QStringLiteral("超過 %1 個位元組: %2").arg(widthInBytes).arg(text);
    return {};
}

QString cut(QStringView text, int widthInBytes)
{
    int total = 0;
    qsizetype end = 0;
    forEachChar(text, [&](QStringView ch, qsizetype at) {
        const int w = std::max(charWidth(ch), 1);
        if (total + w > widthInBytes)
            return false;
        total += w;
        end = at + ch.size();
        return true;
    });
    return text.left(end).toString();
}

QString padRight(QStringView text, int widthInBytes)
{
    QString result = cut(text, widthInBytes);
    const int used = byteLength(result);
    result += QString(widthInBytes - used, u' ');
    return result;
}

} // namespace Big5Text
