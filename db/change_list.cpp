#include "db/change_list.h"

#include "db/change_line_key.h"
#include "db/change_pack.h"
#include "db/change_values.h"
#include "db/declaration_kind.h"
#include "db/engine_message.h"
#include "db/schema.h"
#include "db/statement_runner.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantMap>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace {

// The operations a condition selects, each with its packed rows, in the order
// they were made; each operation's rows by key, the old row before a new one
// (the key's row as it went, then as it came). `keep`: which rows to list.
bool select(const QString &connectionName, const QString &where, const QVariantMap &params,
            const std::function<bool(const ChangePack::Row &)> &keep, QList<ChangeEntry> *out, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    const QString sql =
        QStringLiteral("select o.OP_ID, o.DONE_AT, o.DONE_BY, o.OPERATION, o.KIND, o.BANK_CODE, o.M_YEAR, o.M_MONTH, "
                       "r.ROWS_TEXT from %1 o join %2 r on r.OP_ID = o.OP_ID where %3 order by o.OP_ID")
            .arg(QLatin1String(Schema::ChangeLog), QLatin1String(Schema::ChangeRow), where);
    if (!StatementRunner::select(q, connectionName, sql, params, error))
        return false;
    out->clear();
    qsizetype operationStart = 0;
    const auto sortOperation = [&] {
        std::stable_sort(out->begin() + operationStart, out->end(), [](const ChangeEntry &a, const ChangeEntry &b) {
            const int byKey = a.key.compare(b.key);
            return byKey != 0 ? byKey < 0 : !a.oldValues.isNull() && b.oldValues.isNull();
        });
        operationStart = out->size();
    };
    while (q.next()) {
        ChangeEntry e;
        e.operationId = std::llround(q.value(0).toDouble());
        if (out->size() > operationStart && out->last().operationId != e.operationId)
            sortOperation();
        e.doneAt = q.value(1).toString();
        e.doneBy = q.value(2).toString();
        e.operation = q.value(3).toString();
        e.kind = q.value(4).toString();
        e.bankCode = q.value(5).toString();
        e.year = q.value(6).toInt();
        e.month = q.value(7).toInt();
        // Each line's key whole again, with the operation's own fields.
        const DeclarationKind *kind = DeclarationKind::find(e.kind);
        const TableDef *table = kind ? Schema::table(kind->table()) : nullptr;
        const std::optional<ChangeLineKey> lineKey =
            table ? std::make_optional<ChangeLineKey>(*table, e.bankCode, e.year, e.month) : std::nullopt;
        for (ChangePack::Row &row : ChangePack::rows(q.value(8).toString())) {
            if (lineKey)
                row.key = lineKey->whole(row.key);
            if (keep && !keep(row))
                continue;
            e.key = std::move(row.key);
            e.oldValues = std::move(row.oldValues);
            e.newValues = std::move(row.newValues);
            out->append(e);
        }
    }
    sortOperation();
    return true;
}

const TableDef *tableOf(const QString &kind)
{
    const DeclarationKind *declaration = DeclarationKind::find(kind);
    return declaration ? Schema::table(declaration->table()) : nullptr;
}

QString describe(const QString &kind, bool key, const QString &encoded)
{
    const TableDef *table = tableOf(kind);
    return table ? ChangeValues::describe(*table, key, encoded) : encoded;
}

} // namespace

bool ChangeEntry::ofMonth(const QString &connectionName, int year, int month, const QString &kind,
                          QList<ChangeEntry> *out, QString *error)
{
    QString where = QStringLiteral("o.M_YEAR = :M_YEAR and o.M_MONTH = :M_MONTH");
    QVariantMap params{{QStringLiteral("M_YEAR"), year}, {QStringLiteral("M_MONTH"), month}};
    if (!kind.isEmpty()) {
        where += QStringLiteral(" and o.KIND = :KIND");
        params.insert(QStringLiteral("KIND"), kind);
    }
    return select(connectionName, where, params, {}, out, error);
}

bool ChangeEntry::ofRow(const QString &connectionName, const QString &kind, const QString &key,
                        QList<ChangeEntry> *out, QString *error)
{
    // Every kind's key holds its month: the row's changes are among the
    // operations of that month.
    const TableDef *table = tableOf(kind);
    const QMap<QString, QString> fields = table ? ChangeValues::decode(*table, true, key) : QMap<QString, QString>();
    QString where = QStringLiteral("o.KIND = :KIND");
    QVariantMap params{{QStringLiteral("KIND"), kind}};
    if (fields.contains(QStringLiteral("M_YEAR")) && fields.contains(QStringLiteral("M_MONTH"))) {
        where += QStringLiteral(" and o.M_YEAR = :M_YEAR and o.M_MONTH = :M_MONTH");
        params.insert(QStringLiteral("M_YEAR"), fields.value(QStringLiteral("M_YEAR")).toInt());
        params.insert(QStringLiteral("M_MONTH"), fields.value(QStringLiteral("M_MONTH")).toInt());
    }
    return select(connectionName, where, params, [&key](const ChangePack::Row &row) { return row.key == key; }, out,
                  error);
}

QString ChangeEntry::keyField(const QString &field) const
{
    const TableDef *table = tableOf(kind);
    return table ? ChangeValues::decode(*table, true, key).value(field) : QString();
}

QString ChangeEntry::describeKey() const { return describe(kind, true, key); }
QString ChangeEntry::describeOld() const { return describe(kind, false, oldValues); }
QString ChangeEntry::describeNew() const { return describe(kind, false, newValues); }
