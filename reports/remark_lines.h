#pragma once

#include <QString>

// The remark of a check report row printed over two lines, measured in Big5
// bytes: bytes 1 to 60 on the first line and the rest on the second, which
// stays empty for a shorter remark. A double-byte character that straddles
// byte 60 goes whole to the second line, so no character is ever split.
namespace RemarkLines {

inline constexpr int FirstLineBytes = 60;

// The two lines joined by "\n" (the second possibly empty).
QString twoLines(const QString &remark);

} // namespace RemarkLines
