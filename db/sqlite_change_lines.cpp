#include "db/sqlite_change_lines.h"

#include "db/change_line_key.h"
#include "db/change_pack.h"
#include "db/change_values.h"
#include "db/schema.h"
#include "db/sqlite_statement.h"

#include <QStringList>
#include <sqlite3.h>

#include <charconv>

namespace {

// One column's value as ChangeValues writes a field of its kind.
void appendColumn(QByteArray &out, const SqliteStatement &row, int column, ChangeValues::Kind kind)
{
    using Kind = ChangeValues::Kind;
    const int type = row.type(column);
    if (type == SQLITE_NULL)
        return;
    const bool number = type == SQLITE_INTEGER || type == SQLITE_FLOAT;
    if (kind == Kind::WholeNumber && type == SQLITE_INTEGER) {
        char digits[24];
        out.append(digits, std::to_chars(digits, digits + sizeof digits, row.integer(column)).ptr - digits);
    } else if (kind == Kind::Number && number) {
        ChangeValues::appendNumberUtf8(out, row.real(column));
    } else {
        // A text, a date, or what SQLite holds in a column of another kind: its
        // own text of the value.
        ChangeValues::appendTextUtf8(out, row.text(column), kind == Kind::Text);
    }
}

} // namespace

namespace SqliteChangeLines {

bool pack(sqlite3 *db, const TableDef &table, const ChangeLineKey &lineKey, const QString &alias,
          const QString &fromWhere, const QVariantMap &params, bool before, QByteArray *lines, int *rows, QString *error,
          QList<qint64> *rowids)
{
    const QList<const FieldDef *> keyFields = ChangeValues::fields(table, true);
    const QList<const FieldDef *> valueFields = ChangeValues::fields(table, false);
    QStringList columns;
    QList<ChangeValues::Kind> kinds;
    for (const FieldDef *f : keyFields + valueFields) {
        columns << alias + u'.' + f->name;
        kinds << ChangeValues::kindOf(*f);
    }
    const int rowidColumn = int(columns.size());
    columns << alias + QStringLiteral(".rowid");
    const QString sql = QStringLiteral("select %1 %2 order by %3.rowid").arg(columns.join(u','), fromWhere, alias);
    SqliteStatement select(db);
    if (!select.prepare(sql) || !select.bindNamed(sql, params)) {
        *error = select.error();
        return false;
    }
    const char separator = char(ChangeValues::Separator.unicode());
    const char partEnd = char(ChangePack::PartEnd.unicode());
    const int keyCount = int(keyFields.size());
    QList<int> ownColumns;
    QList<QByteArray> ownTexts;
    for (int c = 0; c < keyCount; ++c) {
        if (lineKey.isOwn(c)) {
            ownColumns << c;
            ownTexts << lineKey.ownText(c).toUtf8();
        }
    }
    QByteArray own;
    lines->clear();
    *rows = 0;
    if (rowids)
        rowids->clear();
    while (select.next()) {
        if (rowids)
            rowids->append(select.integer(rowidColumn));
        if (*rows > 0)
            *lines += char(ChangePack::LineEnd.unicode());
        ++*rows;
        // The operation's own fields left out when the row's are the operation's.
        bool leftOut = true;
        for (qsizetype i = 0; i < ownColumns.size() && leftOut; ++i) {
            own.resize(0);
            appendColumn(own, select, ownColumns.at(i), kinds.at(ownColumns.at(i)));
            leftOut = own == ownTexts.at(i);
        }
        bool first = true;
        for (int c = 0; c < keyCount; ++c) {
            if (leftOut && lineKey.isOwn(c))
                continue;
            if (!first)
                *lines += separator;
            first = false;
            appendColumn(*lines, select, c, kinds.at(c));
        }
        *lines += partEnd;
        if (!before)
            *lines += partEnd;
        *lines += '=';
        for (int c = keyCount; c < int(kinds.size()); ++c) {
            if (c > keyCount)
                *lines += separator;
            appendColumn(*lines, select, c, kinds.at(c));
        }
        if (before)
            *lines += partEnd;
    }
    if (select.failed()) {
        *error = select.error();
        return false;
    }
    return true;
}

} // namespace SqliteChangeLines
