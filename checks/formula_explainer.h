#pragma once

#include "checks/amount_lookup.h"
#include "checks/check_result_row.h"
#include "checks/formula_explanation.h"
#include "checks/formula_set.h"

#include <QHash>
#include <QString>
#include <optional>

// Explains the rows of a check that is over: takes a row's formula from the set
// the check judged, lets the evaluator walk it again over the same amounts, and
// names each step's account and period (the markers read from `tables` over the
// connection then; the check itself never reads them). Nothing is recorded while
// the check runs; a row is explained only when someone opens it.
class FormulaExplainer
{
public:
    FormulaExplainer(FormulaSet set, FormulaTables tables, QString connectionName);

    // The explanation of a row that a check of this set made over `amounts` (in
    // the county check, the amounts of the row's county). None for a
    // missing-account row, or a row whose formula is not in the set.
    std::optional<FormulaExplanation> explain(const CheckResultRow &row, const AmountLookup &amounts) const;

private:
    FormulaSet m_set;
    FormulaTables m_tables;
    QString m_connectionName;
    QHash<QString, QString> m_names;   // account code to name
};
