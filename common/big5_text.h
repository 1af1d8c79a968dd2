#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Text fields of the declaration tables keep their width in bytes of the Big5
// code page: an ASCII character takes one byte, a Chinese character two.
namespace Big5Text {

// True when every character of the text has a Big5 code.
bool canEncode(QStringView text);
// The text in Big5 bytes. Characters Big5 lacks become "?" (check canEncode first).
QByteArray encode(QStringView text);
QString decode(const QByteArray &bytes);
// The same, false when the bytes hold a sequence Big5 cannot decode (a lead byte
// without its second byte, as in a text cut in the middle of a character; a
// second byte out of range).
bool decode(const QByteArray &bytes, QString *text);
// Width in Big5 bytes (a character Big5 lacks counts as one byte).
int byteLength(QStringView text);
// True when the text can be stored in a field of the given width.
bool fits(QStringView text, int widthInBytes);
// Why the text cannot be stored in a field of the given width, the text quoted:
// a character Big5 lacks ("含有 Big5 無法表示的字元: ...") before too many bytes
// ("超過 8 個位元組: ..."); empty when it can. One pass over the text.
QString refusal(QStringView text, int widthInBytes);
// The longest prefix of the text that fits in the width, never splitting a
// double-byte character.
QString cut(QStringView text, int widthInBytes);
// The text cut to the width, then padded with blanks to exactly that many bytes.
QString padRight(QStringView text, int widthInBytes);

} // namespace Big5Text
