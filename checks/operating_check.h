#pragma once

#include "checks/amount_lookup.h"
#include "checks/check_result_row.h"
#include "checks/formula_evaluator.h"
#include "checks/formula_explainer.h"
#include "checks/formula_set.h"
#include "checks/month_check.h"
#include "db/database.h"

#include <QList>
#include <QString>

// The operating data check of one institution and month, over the database:
// every formula of RuleNo1/RuleNo2 (terms over CACNO) is judged against the
// month's MPBANK amounts, and every CACNO account without an amount row is
// listed after the formula rows, in CACNO's stored order. Nothing is stored.
//
// prepare() tests the period and reads the month's amounts of the institution
// set by setBankCode() (the rows the operating data tab shows: MPBANK joined
// with CACNO); NoData when there are none. The rest is MonthCheck's.
class OperatingCheck : public MonthCheck
{
public:
    explicit OperatingCheck(const QString &connectionName = Database::connectionName());

    // The institution whose month prepare(year, month) reads.
    void setBankCode(const QString &bankCode) { m_bankCode = bankCode; }
    Status prepare(int year, int month) override;
    // setBankCode() and prepare(), run(): the same in one call.
    Status prepare(const QString &bankCode, int year, int month);
    using MonthCheck::run;
    Status run(const QString &bankCode, int year, int month,
               const FormulaEvaluator::Progress &progress = {});

    // The month's amounts read by prepare(), and the number of rows they came from.
    const AmountLookup &amounts() const { return m_amounts; }
    int amountRowCount() const { return m_amountRows; }

    std::optional<FormulaExplanation> explain(const CheckResultRow &row) const override;

    // Reads the amounts of one institution and month as the operating data tab
    // lists them (rows whose account is not in CACNO are left out). False and
    // *error on an engine error.
    static bool readAmounts(const QString &connectionName, const QString &bankCode, int year, int month,
                            AmountLookup *amounts, int *rowCount, QString *error);

protected:
    bool judge(const FormulaEvaluator::Progress &progress, QList<CheckResultRow> *rows, QString *error) override;

private:
    QString m_bankCode;
    AmountLookup m_amounts;
    int m_amountRows = 0;
};
