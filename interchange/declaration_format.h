#pragma once

#include "common/decimal4.h"
#include "common/period.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

class DeclarationKind;

// The renderings and readings of single values in a declaration file, and its
// name. Every function is exact: a value that does not fit is refused (an empty
// result), never cut or widened.
namespace DeclarationFormat {

// File name -----------------------------------------------------------------------

// The institution part of a name and the rendering of BANK_CODE/BANK_CODE1:
// the code right-padded with "0" to 7 ("ABC" -> "ABC0000"); a code of 7 or more
// characters unchanged. Trailing blanks of the stored code are not significant.
QString institutionText(QStringView code);

// Kind code, institution part, year (3 digits) and month (2 digits):
// B01 + ABC + 88/5 -> "B01ABC000008805".
QString baseName(const DeclarationKind &kind, QStringView institutionCode, const Period &period);

// Year from characters 11 to 13 and month from characters 14 to 15 of a base
// name (the file name without directory and extension). Nothing when the name is
// shorter or those characters are not digits. The values are not range-checked.
std::optional<Period> periodFromBaseName(QStringView baseName);

// The path of a file to write, without extension: the directory, "/" unless the
// directory already ends in one (the root "/"), then the base name.
QString entryPath(const QString &directory, const QString &baseName);

// Fields --------------------------------------------------------------------------

// True when the fifth character of the (rendered) account code is "p": such an
// account's amounts are written multiplied by 1000.
bool isThousandsAccount(QStringView accountCode);
int amountFactor(QStringView accountCode);   // 1000 or 1

// The code as read back: "ABC0000" -> "ABC" (characters 4 to 7 are "0000"),
// any other text unchanged.
QString readInstitutionCode(QStringView fieldText);
// The same over the bytes of a line, without a copy.
QByteArrayView readInstitutionCode(QByteArrayView fieldText);

// Right-aligned, left-padded with "0" to the width ("1234" -> "01234").
// Nothing when the code is longer than the width.
std::optional<QString> accountText(QStringView code, int width);

// The value times the factor as the shortest plain decimal (no exponent, no
// grouping, no trailing zeros, a leading "-" when negative), left-padded with
// "0" to the width: -1234.5 in 14 -> "0000000-1234.5", 2.5 * 1000 in 5 -> "02500".
// Nothing when the text is longer than the width or the product overflows.
std::optional<QString> numberText(Decimal4 value, int factor, int width);

// Reads a number field: zeros, an optional "-" and a plain decimal; the value is
// divided by the factor and rounded once, half to even, to four decimals.
// Nothing for anything else (blanks, letters, "+", digits other than "0" before
// the "-", a second "-", no digits, a value beyond the 64-bit range).
std::optional<Decimal4> readNumber(QStringView fieldText, int factor);

// A decimal integer of digits only (leading zeros allowed); nothing otherwise.
std::optional<int> readInteger(QStringView fieldText);

} // namespace DeclarationFormat
