#pragma once

#include "checks/formula_plan.h"
#include "db/database.h"

#include <QList>
#include <QString>

// One term of a formula side: the account code and the operator written after it
// (joining it to the next term; the last term's operator is only text). Both are
// kept without trailing blanks.
struct FormulaTerm
{
    QString accCode;
    QString noop;
};

// One balance formula: its number, the comparison of its header and the terms of
// each side in ascending nserial. Only terms whose account is in the account
// table are kept; a formula without left terms is never judged.
struct Formula
{
    QString cano;
    QString quop;                 // as in the header, trailing blanks removed
    QList<FormulaTerm> left;      // left_flag "0"
    QList<FormulaTerm> right;     // left_flag "1"
};

// An account of the account table, for the missing-account rows.
struct FormulaAccount
{
    QString code;
    QString name;
};

// Which tables a formula set is read from: the operating formulas (RuleNo1,
// RuleNo2 over CACNO, accounts in stored order) or the county formulas (HRuleNo1,
// HRuleNo2 over HCACNO, accounts by code).
struct FormulaTables
{
    enum class AccountOrder { Stored, ByCode };

    QString headerTable;
    QString termTable;
    QString accountTable;
    AccountOrder accountOrder = AccountOrder::Stored;

    // The first of the three names that is not a table of the schema, or empty.
    // The names go into statements, so only tables of the schema are read.
    QString unknownTable() const;

    static FormulaTables operating();
    static FormulaTables county();
};

// The formulas of one formula table pair with their terms, and the account table,
// read in three statements (headers; all terms joined with the accounts; accounts).
// Formulas come in ascending cano.
class FormulaSet
{
public:
    FormulaSet() = default;
    FormulaSet(QList<Formula> formulas, QList<FormulaAccount> accounts)
        : m_formulas(std::move(formulas)), m_accounts(std::move(accounts)), m_plan(m_formulas) {}

    // Reads the tables over the connection. On failure the set is left empty,
    // false is returned and *error holds the engine's message.
    bool load(const FormulaTables &tables, QString *error,
              const QString &connectionName = Database::connectionName());

    const QList<Formula> &formulas() const { return m_formulas; }
    const QList<FormulaAccount> &accounts() const { return m_accounts; }
    // The formulas prepared for judging, made as they are read.
    const FormulaPlan &plan() const { return m_plan; }
    void clear();

    // The period markers of one formula's terms, left side first, read from its
    // term table as load() reads the terms: true for a term whose TCURR is not
    // blank ("前期"). The checks never read them (every term is taken from the
    // month checked); an explanation shows them. False when the table fails or
    // no longer holds those terms.
    static bool readPeriods(const FormulaTables &tables, const Formula &formula, QList<bool> *previous,
                            QString *error, const QString &connectionName = Database::connectionName());

private:
    QList<Formula> m_formulas;
    QList<FormulaAccount> m_accounts;
    FormulaPlan m_plan;
};
