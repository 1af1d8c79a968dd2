#pragma once

#include "checks/check_result_row.h"
#include "checks/formula_evaluator.h"
#include "checks/formula_explainer.h"
#include "checks/formula_explanation.h"
#include "checks/formula_set.h"

#include <QList>
#include <QString>
#include <optional>

// What every check of a month's declaration data is to the windows and to
// velq8-cli: prepare over a month, evaluate, explain a row, one status. A new
// kind of check is a subclass that says where its amounts come from (prepare)
// and how its formulas are judged over them (judge); the runner of the tabs and
// the check command take any of them. Nothing a check finds is stored.
//
// In two steps, so that a window can show its progress between them:
//   prepare()   tests the period and takes the month's amounts;
//   evaluate()  reads the formulas afresh (so formulas changed in the formula
//               windows count) and judges them.
// run() does both. explain() then tells why a row's formula fails.
class MonthCheck
{
public:
    enum class Status {
        Ready,              // prepare(): evaluate() may run
        AllHold,            // evaluate(): every formula holds, no account missing
        RowsFound,          // evaluate(): rows() lists failing formulas and missing accounts
        NoRows,             // the rows handed to the check are closed or empty (nothing read)
        NoData,             // the month has no row of the data checked
        PeriodIncomplete,   // the year or the month is 0
        DatabaseError,      // errorText() holds the engine's message
    };

    MonthCheck(FormulaTables tables, QString connectionName);
    virtual ~MonthCheck();
    MonthCheck(const MonthCheck &) = delete;
    MonthCheck &operator=(const MonthCheck &) = delete;

    // Forgets what an earlier run found, tests the period and takes the month's
    // amounts. Ready when evaluate() may run.
    virtual Status prepare(int year, int month) = 0;
    // After a Ready prepare(): reads the formulas and judges them; after any
    // other status it does nothing and returns that status.
    Status evaluate(const FormulaEvaluator::Progress &progress = {});
    Status run(int year, int month, const FormulaEvaluator::Progress &progress = {});

    // The steps of a row of rows(), worked out now by the evaluator over the
    // formulas and amounts it was judged on; none for a missing-account row.
    virtual std::optional<FormulaExplanation> explain(const CheckResultRow &row) const = 0;

    Status status() const { return m_status; }
    const QList<CheckResultRow> &rows() const { return m_rows; }
    QString errorText() const { return m_error; }
    // The formulas the last evaluate() judged.
    const FormulaSet &formulas() const { return m_formulas; }

protected:
    // The rows of the formulas read by evaluate(), judged over the prepared
    // amounts; false and *error when what else it reads fails.
    virtual bool judge(const FormulaEvaluator::Progress &progress, QList<CheckResultRow> *rows,
                       QString *error) = 0;

    // The start of every prepare(): nothing found, nothing read.
    void forget();
    Status setStatus(Status status) { return m_status = status; }
    QString *errorOut() { return &m_error; }
    QString connectionName() const { return m_connectionName; }
    // Made at the first explanation, never while the check runs.
    const FormulaExplainer &explainer() const;

private:
    FormulaTables m_tables;
    QString m_connectionName;
    Status m_status = Status::PeriodIncomplete;
    QList<CheckResultRow> m_rows;
    QString m_error;
    FormulaSet m_formulas;
    mutable std::optional<FormulaExplainer> m_explainer;
};
