#pragma once

#include "checks/amount_lookup.h"
#include "checks/check_result_row.h"
#include "checks/formula_evaluator.h"
#include "checks/formula_explainer.h"
#include "checks/formula_set.h"
#include "db/database.h"

#include <QList>
#include <QString>

// The operating data check of one institution and month, over the database:
// every formula of RuleNo1/RuleNo2 (terms over CACNO) is judged against the
// month's MPBANK amounts, and every CACNO account without an amount row is
// listed after the formula rows, in CACNO's stored order. Nothing is stored.
//
// In two steps, so that a window can show its progress between them:
//   prepare()  tests the period and reads the month's amounts (the rows the
//              operating data tab shows: MPBANK joined with CACNO);
//   evaluate() reads the formulas and the accounts afresh and judges them.
// run() does both. explain() then tells why a row's formula fails.
class OperatingCheck
{
public:
    enum class Status {
        Ready,              // prepare(): the month has rows, evaluate() may run
        AllHold,            // evaluate(): every formula holds, no account missing
        RowsFound,          // evaluate(): rows() lists failing formulas and missing accounts
        PeriodIncomplete,   // the year or the month is 0 (nothing read)
        NoData,             // the institution has no row in the month
        DatabaseError,      // errorText() holds the engine's message
    };

    explicit OperatingCheck(const QString &connectionName = Database::connectionName());

    Status prepare(const QString &bankCode, int year, int month);
    Status evaluate(const FormulaEvaluator::Progress &progress = {});
    Status run(const QString &bankCode, int year, int month,
               const FormulaEvaluator::Progress &progress = {});

    Status status() const { return m_status; }
    const QList<CheckResultRow> &rows() const { return m_rows; }
    QString errorText() const { return m_error; }
    // The month's amounts read by prepare(), and the number of rows they came from.
    const AmountLookup &amounts() const { return m_amounts; }
    int amountRowCount() const { return m_amountRows; }
    // The formulas the last evaluate() judged.
    const FormulaSet &formulas() const { return m_formulas; }

    // The steps of a row of rows(), worked out now by the evaluator over the
    // formulas and amounts it was judged on; none for a missing-account row.
    std::optional<FormulaExplanation> explain(const CheckResultRow &row) const;

    // Reads the amounts of one institution and month as the operating data tab
    // lists them (rows whose account is not in CACNO are left out). False and
    // *error on an engine error.
    static bool readAmounts(const QString &connectionName, const QString &bankCode, int year, int month,
                            AmountLookup *amounts, int *rowCount, QString *error);

private:
    QString m_connectionName;
    Status m_status = Status::PeriodIncomplete;
    AmountLookup m_amounts;
    int m_amountRows = 0;
    QList<CheckResultRow> m_rows;
    QString m_error;
    FormulaSet m_formulas;
    // Made at the first explain(), never while the check runs.
    mutable std::optional<FormulaExplainer> m_explainer;
};
