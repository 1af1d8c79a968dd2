#include "db/change_list.h"

#include "db/change_values.h"
#include "db/declaration_kind.h"
#include "db/engine_message.h"
#include "db/schema.h"
#include "db/statement_runner.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantMap>
#include <cmath>

namespace {

bool select(const QString &connectionName, const QString &where, const QVariantMap &params, const QString &order,
            QList<ChangeEntry> *out, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    const QString sql =
        QStringLiteral("select o.OP_ID, o.DONE_AT, o.DONE_BY, o.OPERATION, o.KIND, o.BANK_CODE, o.M_YEAR, o.M_MONTH, "
                       "r.ROW_KEY, r.OLD_VALUES, r.NEW_VALUES from %1 o join %2 r on r.OP_ID = o.OP_ID where %3 "
                       "order by %4")
            .arg(QLatin1String(Schema::ChangeLog), QLatin1String(Schema::ChangeRow), where, order);
    if (!StatementRunner::select(q, connectionName, sql, params, error))
        return false;
    out->clear();
    while (q.next()) {
        ChangeEntry e;
        e.operationId = std::llround(q.value(0).toDouble());
        e.doneAt = q.value(1).toString();
        e.doneBy = q.value(2).toString();
        e.operation = q.value(3).toString();
        e.kind = q.value(4).toString();
        e.bankCode = q.value(5).toString();
        e.year = q.value(6).toInt();
        e.month = q.value(7).toInt();
        e.key = q.value(8).toString();
        e.oldValues = q.value(9).toString();
        e.newValues = q.value(10).toString();
        out->append(e);
    }
    return true;
}

// Old row before new: the key's row as it went, then as it came.
const char *const RowOrder = "r.ROW_KEY, case when r.OLD_VALUES is null then 1 else 0 end";

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
    return select(connectionName, where, params, QStringLiteral("o.OP_ID, ") + QLatin1String(RowOrder), out, error);
}

bool ChangeEntry::ofRow(const QString &connectionName, const QString &kind, const QString &key,
                        QList<ChangeEntry> *out, QString *error)
{
    return select(connectionName, QStringLiteral("r.ROW_KEY = :ROW_KEY and o.KIND = :KIND"),
                  {{QStringLiteral("ROW_KEY"), key}, {QStringLiteral("KIND"), kind}},
                  QStringLiteral("o.OP_ID, ") + QLatin1String(RowOrder), out, error);
}

QString ChangeEntry::keyField(const QString &field) const
{
    const TableDef *table = tableOf(kind);
    return table ? ChangeValues::decode(*table, true, key).value(field) : QString();
}

QString ChangeEntry::describeKey() const { return describe(kind, true, key); }
QString ChangeEntry::describeOld() const { return describe(kind, false, oldValues); }
QString ChangeEntry::describeNew() const { return describe(kind, false, newValues); }
