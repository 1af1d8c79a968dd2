#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringView>

class ChangeLineKey;
class Dialect;
struct TableDef;

// The rows an operation of the history changed, packed into one text that is
// stored as one row: one line a row, each line its key, its values before and
// its values after (ChangeValues texts), in three parts separated by U+001E.
// A part of values is empty when the row was not there (before or after) and
// else "=" followed by the values, so that a row whose values text is empty is
// told from no row. ChangeValues escapes every line feed, U+001E and U+001F a
// text value holds (and its own escape, U+001B), so no value can end a part or
// a line, and numbers hold none of them.
namespace ChangePack {

inline constexpr QChar LineEnd{u'\n'};
inline constexpr QChar PartEnd{0x1e};

// One row's line, appended to `packed` (after a line feed when there are
// lines already). A null old (new) text: the row was not there before (after).
void appendLine(QString &packed, const QString &key, const QString &oldValues, const QString &newValues);

// The line of each row a statement selects, as a select expression over the
// table named `alias`: the row as it is before the change (it is about to go)
// or after it (it just came). `escaped`: with the texts' escape; without it
// the line is right only for rows whose texts hold no character to escape.
// `without`: the key without the operation's own fields, and NULL (no line)
// for a row whose own fields are not the operation's, whose values it takes
// from the named parameters ownParameter() names.
QString lineSql(const TableDef &table, const QString &alias, const Dialect &dialect, bool before, bool escaped,
                const ChangeLineKey *without = nullptr);
QString ownParameter(const QString &field);
// The separators (ChangeValues::escapedCharacters()) each line of the table
// holds, its key without `leftOut` of its fields; a line's texts hold none of
// their own when its count is this.
int separatorsPerLine(const TableDef &table, int leftOut = 0);

struct Row
{
    QString key;
    QString oldValues;   // null: the row was not there before
    QString newValues;   // null: the row is not there after
};
// The rows of a packed text, in its order; a line that is not three parts
// (never written so) is left out.
QList<Row> rows(QStringView packed);

} // namespace ChangePack
