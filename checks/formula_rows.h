#pragma once

#include "checks/formula_set.h"
#include "db/database.h"

#include <QList>
#include <QSet>
#include <QString>

// One row of a formula header table (RuleNo1, HRuleNo1) as stored.
struct FormulaHeaderRow
{
    QString accType;
    QString cano;
    QString quop;
    QString remark;

    bool operator==(const FormulaHeaderRow &) const = default;
};

// One row of a formula term table (RuleNo2, HRuleNo2) as stored.
struct FormulaTermRow
{
    QString accType;
    QString cano;
    QString leftFlag;
    int nserial = 0;
    QString accCode;
    QString noop;
    QString tcurr;

    bool operator==(const FormulaTermRow &) const = default;
};

// Every row of one formula table pair, whether or not its account exists: what
// a formula file carries. Texts are kept without trailing blanks. Headers come
// in ascending cano, terms in ascending cano, left_flag, nserial.
struct FormulaRows
{
    QList<FormulaHeaderRow> headers;
    QList<FormulaTermRow> terms;

    bool operator==(const FormulaRows &) const = default;
};

// Reading and replacing the rows of a formula table pair over the connection.
// Nothing here shows a window.
namespace FormulaStore {

// Reads both tables. False and *error (the engine's message) on failure.
bool read(const FormulaTables &tables, FormulaRows *rows, QString *error,
          const QString &connectionName = Database::connectionName());

// The codes of the set's account table (CACNO, HCACNO), without trailing blanks.
bool accountCodes(const FormulaTables &tables, QSet<QString> *codes, QString *error,
                  const QString &connectionName = Database::connectionName());

// Replaces every row of both tables with `rows` under one savepoint: all of the
// new set is stored, or nothing changes. False and *error on failure.
bool replace(const FormulaTables &tables, const FormulaRows &rows, QString *error,
             const QString &connectionName = Database::connectionName());

} // namespace FormulaStore
