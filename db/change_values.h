#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QMap>
#include <QString>
#include <QVariant>
#include <functional>

class ChangeLineKey;
class Dialect;
struct FieldDef;
struct TableDef;

// How the history writes a declaration row: its key and its values, each one
// text of the fields' values in the table's order, separated by the unit
// separator (U+001F). The key has the key fields (texts without trailing
// blanks, as the table compares them); the values have every other field. An
// empty part is a NULL (or empty) value; numbers are decimals that read back
// as the number stored (describe() shows them plainly, so "3.0" and "3" are
// one amount).
//
// A text field's value is escaped so that no value can be taken for a
// separator of these texts or of the packed rows of an operation (ChangePack):
// U+001B (the escape), a line feed, U+001E and U+001F are each written as
// U+001B followed by "E", "n", "r" and "s".
// A number or a date never holds any of them.
//
// The same text comes from a row in memory (of()) and from the rows of a
// statement (partsSql()), so that a row's history is found by its
// key however it was changed; the list reads it back with describe().
namespace ChangeValues {

inline constexpr QChar Separator{0x1f};

// A field's value of the row, by field name.
using Lookup = std::function<QVariant(const QString &field)>;

QString keyOf(const TableDef &table, const Lookup &value);
QString valuesOf(const TableDef &table, const Lookup &value);

// The fields of the key (else of the values), in the order the texts hold them.
QList<const FieldDef *> fields(const TableDef &table, bool key);
// One field's value as these texts write it, appended to `out`.
enum class Kind { Number, WholeNumber, Text, Other };
Kind kindOf(const FieldDef &field);
void appendValue(QString &out, Kind kind, const QVariant &value);
// The same texts in UTF-8, from values as an engine gives them without a
// QVariant (the stored rows the history packs): a number, or the engine's
// own text of a value, escaped here (a text field's trailing blanks dropped).
void appendNumberUtf8(QByteArray &out, double value);
void appendTextUtf8(QByteArray &out, QByteArrayView text, bool dropTrailingBlanks);

// The same texts from a statement's rows: one select expression a field of
// the key (else of the values) over the table named `alias`, in the engine's
// words (its exact text of a stored number), each a text, empty for a NULL,
// to be joined by the caller.
// `escaped`: with a text's escape; without it, for rows whose texts hold no
// character to escape (escapedCharacters(), which the caller checks).
// `without`: the key without an operation's own fields (ChangeLineKey).
QStringList partsSql(const TableDef &table, bool key, const QString &alias, const Dialect &dialect, bool escaped,
                     const ChangeLineKey *without = nullptr);
// The characters a text's escape replaces.
QString escapedCharacters();

// The fields of a key or values text, by name, unescaped (an empty text: none).
QMap<QString, QString> decode(const TableDef &table, bool key, const QString &encoded);
// "ACC_CODE=11000 AMT=1234.5", fields in the table's order; empty for none.
QString describe(const TableDef &table, bool key, const QString &encoded);

} // namespace ChangeValues
