#include "checks/month_check.h"

MonthCheck::MonthCheck(FormulaTables tables, QString connectionName)
    : m_tables(std::move(tables)), m_connectionName(std::move(connectionName))
{
}

MonthCheck::~MonthCheck() = default;

void MonthCheck::forget()
{
    m_rows.clear();
    m_error.clear();
    m_formulas.clear();
    m_explainer.reset();
}

MonthCheck::Status MonthCheck::evaluate(const FormulaEvaluator::Progress &progress)
{
    if (m_status != Status::Ready && m_status != Status::AllHold && m_status != Status::RowsFound)
        return m_status;
    m_rows.clear();
    m_explainer.reset();
    if (!m_formulas.load(m_tables, &m_error, m_connectionName) || !judge(progress, &m_rows, &m_error))
        return m_status = Status::DatabaseError;
    return m_status = m_rows.isEmpty() ? Status::AllHold : Status::RowsFound;
}

MonthCheck::Status MonthCheck::run(int year, int month, const FormulaEvaluator::Progress &progress)
{
    if (prepare(year, month) != Status::Ready)
        return m_status;
    return evaluate(progress);
}

const FormulaExplainer &MonthCheck::explainer() const
{
    if (!m_explainer)
        m_explainer.emplace(m_formulas, m_tables, m_connectionName);
    return *m_explainer;
}
