#include "db/change_pack.h"

#include "db/change_values.h"
#include "db/dialect.h"

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

QString lineSql(const TableDef &table, const QString &alias, const Dialect &dialect, bool before, bool escaped)
{
    // One concatenation a row: on the server about half of what one format()
    // a row costs.
    auto joined = [&](bool key) {
        const QStringList parts = ChangeValues::partsSql(table, key, alias, dialect, escaped);
        return parts.isEmpty() ? QStringLiteral("''")
                               : parts.join(QStringLiteral(" || '%1' || ").arg(ChangeValues::Separator));
    };
    const QString end = QStringLiteral("'%1'").arg(PartEnd);
    const QString values = QStringLiteral("'=' || ") + joined(false);
    return joined(true) + QStringLiteral(" || ") + end + QStringLiteral(" || ")
        + (before ? values + QStringLiteral(" || ") + end : end + QStringLiteral(" || ") + values);
}

int separatorsPerLine(const TableDef &table)
{
    const auto between = [](qsizetype parts) { return int(std::max<qsizetype>(parts - 1, 0)); };
    return between(ChangeValues::fields(table, true).size()) + between(ChangeValues::fields(table, false).size()) + 2;
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
