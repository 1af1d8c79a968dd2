#pragma once

#include "checks/check_result_row.h"
#include "checks/county_amounts.h"
#include "checks/formula_evaluator.h"
#include "checks/formula_explainer.h"
#include "checks/formula_set.h"
#include "db/database.h"

#include <QList>
#include <QString>

class CachedDataset;

// The county data check of one month: the county formulas (HRuleNo1/HRuleNo2,
// terms over HCACNO) judged once for every county of CD01 in code order against
// that county's amounts, with the evaluator of the operating data check. Per
// county the failing formulas come first, each remark beginning with the county
// ("A  臺北市資料有誤   10000=10100+10200"), then one row for every county
// account without an amount ("缺少營運科目: ..."; it does not name the county,
// so an account missing in three counties gives three equal rows). A county
// without rows is judged on zeros. Nothing is stored.
//
// The amounts are the rows the caller holds (the county tab's dataset, never
// read again), in two steps so that a window can show its progress between them:
//   prepare()   no rows: nothing to do (the tab says nothing); then the period;
//   evaluate()  reads the formulas and the counties afresh and judges them.
// explain() then tells why a row's formula fails in its county.
class CountyCheck
{
public:
    enum class Status {
        Ready,              // prepare(): evaluate() may run
        AllHold,            // evaluate(): every formula holds, no account missing
        RowsFound,          // evaluate(): rows() lists failing formulas and missing accounts
        NoRows,             // the rows given are closed or empty (nothing read)
        PeriodIncomplete,   // the year or the month is 0
        DatabaseError,      // errorText() holds the engine's message
    };

    // A county as the check names it: its code and HSIENNAME (code, two blanks, name).
    struct County
    {
        QString id;
        QString name;
    };

    explicit CountyCheck(const QString &connectionName = Database::connectionName());

    Status prepare(const CachedDataset &rows, int year, int month);
    Status evaluate(const FormulaEvaluator::Progress &progress = {});

    Status status() const { return m_status; }
    const QList<CheckResultRow> &rows() const { return m_rows; }
    QString errorText() const { return m_error; }
    const CountyAmounts &amounts() const { return m_amounts; }
    // The formulas and the counties the last evaluate() judged.
    const FormulaSet &formulas() const { return m_formulas; }
    const QList<County> &counties() const { return m_counties; }

    // The steps of a row of rows(), worked out now by the evaluator over the
    // formulas and the row's county's amounts it was judged on; none for a
    // missing-account row.
    std::optional<FormulaExplanation> explain(const CheckResultRow &row) const;

    // The counties of CD01 in code order, as qryCD01 lists them.
    static bool readCounties(const QString &connectionName, QList<County> *counties, QString *error);
    // The whole evaluation over amounts already read; progress is per county. A
    // failing formula's row has the county's position in `counties` in its source.
    static QList<CheckResultRow> evaluate(const FormulaSet &set, const QList<County> &counties,
                                          const CountyAmounts &amounts,
                                          const FormulaEvaluator::Progress &progress = {});
    // What a failing formula's remark begins with: the county, then "資料有誤   ".
    static QString remarkPrefix(const County &county);

private:
    QString m_connectionName;
    Status m_status = Status::NoRows;
    CountyAmounts m_amounts;
    QList<CheckResultRow> m_rows;
    QString m_error;
    FormulaSet m_formulas;
    QList<County> m_counties;
    // Made at the first explain(), never while the check runs.
    mutable std::optional<FormulaExplainer> m_explainer;
};
