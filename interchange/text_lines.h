#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// The lines of a text, as the declaration files and their schemas end them
// (CR LF, or LF alone), without their ends. A last line without an end is a
// line; nothing after the last end is not.
namespace TextLines {

QList<QByteArrayView> split(QByteArrayView text);

// A declaration file holds printable ASCII only (0x20 to 0x7e): a control
// character or any byte beyond 127 would corrupt its fixed-width lines.
constexpr bool isPrintableAscii(char32_t c) { return c >= 0x20 && c <= 0x7e; }
// The 0-based position of the first character that is not, or -1.
qsizetype firstUnprintable(QByteArrayView bytes);
qsizetype firstUnprintable(QStringView text);
// "第 <position> 個字元不是 ASCII 可列印字元 (0x<byte>)", position 1-based.
QString unprintableMessage(qsizetype position, unsigned char byte);

// A fault of a line, the same in the reading, the check and the read-back:
// "第 <n> 行: <why>", or "第 <n> 行 <field> 欄位: <why>" when a field is named.
QString lineError(int lineNo, const QString &field, const QString &why);

} // namespace TextLines
