#pragma once

#include "checks/check_result_row.h"
#include "checks/county_amounts.h"
#include "checks/formula_evaluator.h"
#include "checks/formula_explainer.h"
#include "checks/formula_set.h"
#include "checks/month_check.h"
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
// The amounts are the rows the caller holds (the county tab's dataset, set by
// setRows(), never read again): prepare() first takes the rows (none, or closed:
// NoRows, the tab says nothing), then the period; evaluate() reads the formulas
// and the counties afresh and judges them. explain() then tells why a row's
// formula fails in its county. The rest is MonthCheck's.
class CountyCheck : public MonthCheck
{
public:
    // A county as the check names it: its code and HSIENNAME (code, two blanks, name).
    struct County
    {
        QString id;
        QString name;
    };

    explicit CountyCheck(const QString &connectionName = Database::connectionName());

    // The rows prepare(year, month) takes the amounts from; they must outlive it.
    void setRows(const CachedDataset *rows) { m_source = rows; }
    Status prepare(int year, int month) override;
    // setRows() and prepare() in one call.
    Status prepare(const CachedDataset &rows, int year, int month);
    using MonthCheck::evaluate;

    const CountyAmounts &amounts() const { return m_amounts; }
    // The counties the last evaluate() judged.
    const QList<County> &counties() const { return m_counties; }

    // None for a missing-account row; a formula's row is explained over its
    // county's amounts.
    std::optional<FormulaExplanation> explain(const CheckResultRow &row) const override;

    // The counties of CD01 in code order, as qryCD01 lists them.
    static bool readCounties(const QString &connectionName, QList<County> *counties, QString *error);
    // The whole evaluation over amounts already read; progress is per county. A
    // failing formula's row has the county's position in `counties` in its source.
    static QList<CheckResultRow> evaluate(const FormulaSet &set, const QList<County> &counties,
                                          const CountyAmounts &amounts,
                                          const FormulaEvaluator::Progress &progress = {});
    // What a failing formula's remark begins with: the county, then "資料有誤   ".
    static QString remarkPrefix(const County &county);

protected:
    bool judge(const FormulaEvaluator::Progress &progress, QList<CheckResultRow> *rows, QString *error) override;

private:
    const CachedDataset *m_source = nullptr;
    CountyAmounts m_amounts;
    QList<County> m_counties;
};
