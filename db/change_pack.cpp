#include "db/change_pack.h"

#include "db/change_line_key.h"
#include "db/change_values.h"
#include "db/dialect.h"
#include "db/schema.h"

#include <algorithm>

namespace {

void appendPart(QString &packed, const QString &values)
{
    if (values.isNull())
        return;
    packed += u'=';
    packed += values;
}

QString partOf(QStringView part)
{
    if (part.isEmpty())
        return {};
    const QString values = part.mid(1).toString();
    return values.isNull() ? QStringLiteral("") : values;   // "=": a row, its values text empty
}

} // namespace

namespace ChangePack {

void appendLine(QString &packed, const QString &key, const QString &oldValues, const QString &newValues)
{
    if (!packed.isEmpty())
        packed += LineEnd;
    packed += key;
    packed += PartEnd;
    appendPart(packed, oldValues);
    packed += PartEnd;
    appendPart(packed, newValues);
}

QString lineSql(const TableDef &table, const QString &alias, const Dialect &dialect, bool before, bool escaped,
                const ChangeLineKey *without)
{
    // One concatenation a row: on the server about half of what one format()
    // a row costs.
    auto joined = [&](bool key) {
        const QStringList parts = ChangeValues::partsSql(table, key, alias, dialect, escaped, without);
        return parts.isEmpty() ? QStringLiteral("''")
                               : parts.join(QStringLiteral(" || '%1' || ").arg(ChangeValues::Separator));
    };
    // The constants between the parts as one literal each.
    const QString line = before ? QStringLiteral("%1 || '%2=' || %3 || '%2'")
                                : QStringLiteral("%1 || '%2%2=' || %3");
    const QString packed = line.arg(joined(true), QString(PartEnd), joined(false));
    if (!without || without->ownCount() == 0)
        return packed;
    QStringList own;
    const QList<const FieldDef *> keyFields = ChangeValues::fields(table, true);
    for (int i = 0; i < without->fieldCount(); ++i) {
        if (without->isOwn(i))
            own << QStringLiteral("%1.%2 = :%3").arg(alias, keyFields.at(i)->name, ownParameter(keyFields.at(i)->name));
    }
    return QStringLiteral("case when %1 then %2 end").arg(own.join(QStringLiteral(" and ")), packed);
}

QString ownParameter(const QString &field) { return QStringLiteral("OWN_") + field; }

int separatorsPerLine(const TableDef &table, int leftOut)
{
    const auto between = [](qsizetype parts) { return int(std::max<qsizetype>(parts - 1, 0)); };
    return between(ChangeValues::fields(table, true).size() - leftOut) + between(ChangeValues::fields(table, false).size())
        + 2;
}

QList<Row> rows(QStringView packed)
{
    QList<Row> out;
    if (packed.isEmpty())
        return out;
    for (const QStringView line : packed.split(LineEnd)) {
        const qsizetype first = line.indexOf(PartEnd);
        const qsizetype second = first < 0 ? -1 : line.indexOf(PartEnd, first + 1);
        if (second < 0 || line.indexOf(PartEnd, second + 1) >= 0)
            continue;
        out.append({line.first(first).toString(), partOf(line.sliced(first + 1, second - first - 1)),
                    partOf(line.sliced(second + 1))});
    }
    return out;
}

} // namespace ChangePack
