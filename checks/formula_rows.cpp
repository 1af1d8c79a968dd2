#include "checks/formula_rows.h"

#include "db/engine_message.h"
#include "db/savepoint.h"
#include "db/schema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

QString withoutTrailingBlanks(const QVariant &value)
{
    QString text = value.toString();
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == u' ')
        --n;
    text.truncate(n);
    return text;
}

// The connection, when open and when the tables are those of the schema (their
// names go into the statements).
bool usable(const FormulaTables &tables, const QString &connectionName, QSqlDatabase *db, QString *error)
{
    for (const QString &name : {tables.headerTable, tables.termTable, tables.accountTable}) {
        if (!Schema::table(name)) {
            *error = QStringLiteral("沒有資料表 %1").arg(name);
            return false;
        }
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

    auto prepare = [&](const QString &sql) {
        if (q.prepare(sql))
            return true;
        *error = EngineMessage::of(q.lastError());
        return false;
    };
    auto exec = [&] {
        if (q.exec())
            return true;
        *error = EngineMessage::of(q.lastError());
        return false;
    };
    if (!prepare(QStringLiteral("insert into %1 (acc_type, cano, quop, remark) values (?, ?, ?, ?)")
                     .arg(tables.headerTable)))
        return false;
    for (const FormulaHeaderRow &h : rows.headers) {
        q.bindValue(0, h.accType);
        q.bindValue(1, h.cano);
        q.bindValue(2, h.quop);
        q.bindValue(3, h.remark);
        if (!exec())
            return false;
    }
    if (!prepare(QStringLiteral("insert into %1 (acc_type, cano, left_flag, nserial, acc_code, noop, TCURR) "
                                "values (?, ?, ?, ?, ?, ?, ?)")
                     .arg(tables.termTable)))
        return false;
    for (const FormulaTermRow &t : rows.terms) {
        q.bindValue(0, t.accType);
        q.bindValue(1, t.cano);
        q.bindValue(2, t.leftFlag);
        q.bindValue(3, t.nserial);
        q.bindValue(4, t.accCode);
        q.bindValue(5, t.noop);
        q.bindValue(6, t.tcurr);
        if (!exec())
            return false;
    }
    q.finish();
    if (!savepoint.release()) {
        *error = savepoint.error();
        return false;
    }
    return true;
}

} // namespace FormulaStore
