#pragma once

#include "db/schema.h"
#include "migration/dbf_field.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

// What the bytes of one field of an old record become in a field of the new
// table, or why the record cannot come over.
//
//   Text       Big5 decoded, trailing blanks (and NULs) of the padding dropped;
//              refused when Big5 cannot decode it (a lead byte without its
//              second byte, as in a text cut in the middle of a character; a
//              second byte out of range), when it holds a control character
//              (a NUL, a tab, a line break: it would be stored cut short or
//              break the lines it is written on) or when it is wider, in Big5
//              bytes, than the field. The user-defined area is Big5 and decodes
//              to the private-use code points, as everywhere else in the system. A
//              blank field is the empty text.
//   SmallInt   a whole number from -32768 to 32767 ("115", "115.00"); blank is NULL.
//   Float      a number ("-1234.567", "1.5E+03"); blank is NULL.
//   Date       YYYYMMDD, a real day; blank or 00000000 is NULL.
//
// Numbers and dates are read from the text of any dBASE type, so that a field
// the old table kept as characters still comes over when it holds a number.
namespace FieldConversion {

struct Result
{
    QVariant value;
    QString refusal;   // empty when the value is good
};

Result convert(const QByteArray &bytes, const DbfField &source, const FieldDef &target);

// The value of a field the old table does not have: what the new table holds
// when nothing is written (NULL), but the empty text for a text field, as a
// blank field of the file gives.
QVariant absentValue(const FieldDef &target);

} // namespace FieldConversion
