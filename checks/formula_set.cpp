#include "checks/formula_set.h"

#include "common/field_text.h"
#include "db/schema.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using FieldText::withoutTrailingBlanks;

namespace {

bool run(QSqlQuery &query, const QString &sql, QString *error)
{
    query.setForwardOnly(true);
    if (query.exec(sql))
        return true;
    if (error)
        *error = query.lastError().text();
    return false;
}

// The terms of the formulas, as a formula's sides hold them: a term whose
// account is not in the account table drops out in the join.
QString termStatement(const FormulaTables &tables, const QString &columns, const QString &condition)
{
    return QStringLiteral("select %1 from %2 A, %3 B "
                          "where A.acc_code = B.acc_code and A.left_flag in ('0', '1')%4 "
                          "order by A.cano, A.left_flag, A.nserial")
        .arg(columns, tables.termTable, tables.accountTable, condition);
}

bool knownTables(const FormulaTables &tables, QString *error)
{
    const QString unknown = tables.unknownTable();
    if (!unknown.isEmpty() && error)
        *error = QStringLiteral("unknown table: %1").arg(unknown);
    return unknown.isEmpty();
}

} // namespace

QString FormulaTables::unknownTable() const
{
    for (const QString &name : {headerTable, termTable, accountTable}) {
        if (!Schema::table(name))
            return name;
    }
    return {};
}

FormulaTables FormulaTables::operating()
{
    return {QStringLiteral("RuleNo1"), QStringLiteral("RuleNo2"), QStringLiteral("CACNO"),
            AccountOrder::Stored};
}

FormulaTables FormulaTables::county()
{
    return {QStringLiteral("HRuleNo1"), QStringLiteral("HRuleNo2"), QStringLiteral("HCACNO"),
            AccountOrder::ByCode};
}

void FormulaSet::clear()
{
    m_formulas.clear();
    m_accounts.clear();
    m_plan = {};
}

bool FormulaSet::load(const FormulaTables &tables, QString *error, const QString &connectionName)
{
    clear();
    if (!knownTables(tables, error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!db.isOpen()) {
        if (error)
            *error = QStringLiteral("connection %1 is not open").arg(connectionName);
        return false;
    }

    QList<Formula> formulas;
    QHash<QString, qsizetype> byCano;
    {
        QSqlQuery q(db);
        if (!run(q, QStringLiteral("select A.cano, A.quop from %1 A order by A.cano").arg(tables.headerTable),
                 error))
            return false;
        while (q.next()) {
            Formula f;
            f.cano = withoutTrailingBlanks(q.value(0));
            f.quop = withoutTrailingBlanks(q.value(1));
            byCano.insert(f.cano, formulas.size());
            formulas.append(std::move(f));
        }
    }
    {
        QSqlQuery q(db);
        const QString sql = termStatement(tables, QStringLiteral("A.cano, A.left_flag, A.acc_code, A.noop"), {});
        if (!run(q, sql, error))
            return false;
        // Keep each code and operator text once: thousands of terms share a few
        // hundred codes.
        QHash<QString, QString> shared;
        auto intern = [&shared](QString text) {
            const auto it = shared.constFind(text);
            if (it != shared.cend())
                return it.value();
            shared.insert(text, text);
            return text;
        };
        QString lastCano;
        qsizetype index = -1;
        while (q.next()) {
            const QString cano = withoutTrailingBlanks(q.value(0));
            if (index < 0 || cano != lastCano) {
                index = byCano.value(cano, -1);
                lastCano = cano;
            }
            if (index < 0)
                continue;   // a term without a header belongs to no formula
            Formula &f = formulas[index];
            FormulaTerm term{intern(withoutTrailingBlanks(q.value(2))), intern(withoutTrailingBlanks(q.value(3)))};
            if (withoutTrailingBlanks(q.value(1)) == u"0")
                f.left.append(std::move(term));
            else
                f.right.append(std::move(term));
        }
    }

    QList<FormulaAccount> accounts;
    {
        QSqlQuery q(db);
        const QString order = tables.accountOrder == FormulaTables::AccountOrder::Stored
                                  ? QStringLiteral("rowid")
                                  : QStringLiteral("ACC_CODE");
        if (!run(q, QStringLiteral("select ACC_CODE, ACC_NAME from %1 order by %2").arg(tables.accountTable, order),
                 error))
            return false;
        while (q.next())
            accounts.append({withoutTrailingBlanks(q.value(0)), withoutTrailingBlanks(q.value(1))});
    }

    m_formulas = std::move(formulas);
    m_accounts = std::move(accounts);
    m_plan = FormulaPlan(m_formulas);
    return true;
}

bool FormulaSet::readPeriods(const FormulaTables &tables, const Formula &formula, QList<bool> *previous,
                             QString *error, const QString &connectionName)
{
    previous->clear();
    if (!knownTables(tables, error))
        return false;
    // A marker of blanks only is the current month, as the formula windows show it.
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    q.setForwardOnly(true);
    q.prepare(termStatement(tables, QStringLiteral("A.acc_code, trim(coalesce(A.TCURR, '')) <> ''"),
                            QStringLiteral(" and rtrim(A.cano) = :cano")));
    q.bindValue(QStringLiteral(":cano"), formula.cano);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    QStringList codes;
    QList<bool> marks;
    while (q.next()) {
        codes.append(withoutTrailingBlanks(q.value(0)));
        marks.append(q.value(1).toInt() != 0);
    }
    // Terms changed since the set was read would give their markers to others.
    QStringList terms;
    for (const QList<FormulaTerm> *side : {&formula.left, &formula.right}) {
        for (const FormulaTerm &term : *side)
            terms.append(term.accCode);
    }
    if (codes != terms) {
        if (error)
            *error = QStringLiteral("the terms of formula %1 have changed").arg(formula.cano);
        return false;
    }
    *previous = std::move(marks);
    return true;
}
