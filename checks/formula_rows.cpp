#include "checks/formula_rows.h"

#include "common/field_text.h"

#include "db/engine_message.h"
#include "db/savepoint.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using FieldText::withoutTrailingBlanks;

namespace {

// The connection, when open and when the tables are those of the schema (their
// names go into the statements).
bool usable(const FormulaTables &tables, const QString &connectionName, QSqlDatabase *db, QString *error)
{
    if (const QString unknown = tables.unknownTable(); !unknown.isEmpty()) {
        *error = QStringLiteral("沒有資料表 %1").arg(unknown);
        return false;
    }
    *db = QSqlDatabase::database(connectionName, false);
    if (!db->isOpen()) {
        *error = EngineMessage::connectionClosed(connectionName);
        return false;
    }
    return true;
}

bool run(QSqlQuery &query, const QString &sql, QString *error)
{
    query.setForwardOnly(true);
    if (query.exec(sql))
        return true;
    *error = EngineMessage::of(query.lastError());
    return false;
}

} // namespace

namespace FormulaStore {

bool read(const FormulaTables &tables, FormulaRows *rows, QString *error, const QString &connectionName)
{
    QSqlDatabase db;
    if (!usable(tables, connectionName, &db, error))
        return false;
    FormulaRows read;
    QSqlQuery q(db);
    if (!run(q, QStringLiteral("select acc_type, cano, quop, remark from %1 order by cano, rowid")
                    .arg(tables.headerTable),
             error))
        return false;
    while (q.next()) {
        read.headers.append({withoutTrailingBlanks(q.value(0)), withoutTrailingBlanks(q.value(1)),
                             withoutTrailingBlanks(q.value(2)), withoutTrailingBlanks(q.value(3))});
    }
    if (!run(q, QStringLiteral("select acc_type, cano, left_flag, nserial, acc_code, noop, TCURR "
                               "from %1 order by cano, left_flag, nserial, rowid")
                    .arg(tables.termTable),
             error))
        return false;
    while (q.next()) {
        read.terms.append({withoutTrailingBlanks(q.value(0)), withoutTrailingBlanks(q.value(1)),
                           withoutTrailingBlanks(q.value(2)), q.value(3).toInt(),
                           withoutTrailingBlanks(q.value(4)), withoutTrailingBlanks(q.value(5)),
                           withoutTrailingBlanks(q.value(6))});
    }
    *rows = std::move(read);
    return true;
}

bool accountCodes(const FormulaTables &tables, QSet<QString> *codes, QString *error,
                  const QString &connectionName)
{
    QSqlDatabase db;
    if (!usable(tables, connectionName, &db, error))
        return false;
    QSqlQuery q(db);
    if (!run(q, QStringLiteral("select ACC_CODE from %1").arg(tables.accountTable), error))
        return false;
    codes->clear();
    while (q.next())
        codes->insert(withoutTrailingBlanks(q.value(0)));
    return true;
}

bool replace(const FormulaTables &tables, const FormulaRows &rows, QString *error,
             const QString &connectionName)
{
    QSqlDatabase db;
    if (!usable(tables, connectionName, &db, error))
        return false;
    Savepoint savepoint(db, QStringLiteral("velq8_formulas"));
    if (!savepoint.isActive()) {
        *error = savepoint.error();
        return false;
    }
    QSqlQuery q(db);
    // Leaving the function without release() rolls every statement back.
    if (!run(q, QStringLiteral("delete from %1").arg(tables.termTable), error)
        || !run(q, QStringLiteral("delete from %1").arg(tables.headerTable), error))
        return false;

    auto insertAll = [&](const QString &sql, const QList<QVariantList> &values) {
        if (!q.prepare(sql)) {
            *error = EngineMessage::of(q.lastError());
            return false;
        }
        for (const QVariantList &row : values) {
            for (int i = 0; i < row.size(); ++i)
                q.bindValue(i, row.at(i));
            if (!q.exec()) {
                *error = EngineMessage::of(q.lastError());
                return false;
            }
        }
        return true;
    };
    QList<QVariantList> headers;
    for (const FormulaHeaderRow &h : rows.headers)
        headers.append({h.accType, h.cano, h.quop, h.remark});
    QList<QVariantList> terms;
    for (const FormulaTermRow &t : rows.terms)
        terms.append({t.accType, t.cano, t.leftFlag, t.nserial, t.accCode, t.noop, t.tcurr});
    if (!insertAll(QStringLiteral("insert into %1 (acc_type, cano, quop, remark) values (?, ?, ?, ?)")
                       .arg(tables.headerTable),
                   headers)
        || !insertAll(QStringLiteral("insert into %1 (acc_type, cano, left_flag, nserial, acc_code, noop, TCURR) "
                                     "values (?, ?, ?, ?, ?, ?, ?)")
                          .arg(tables.termTable),
                      terms))
        return false;
    q.finish();
    if (!savepoint.release()) {
        *error = savepoint.error();
        return false;
    }
    return true;
}

} // namespace FormulaStore
