#include "checks/operating_check.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

OperatingCheck::OperatingCheck(const QString &connectionName)
    : m_connectionName(connectionName)
{
}

bool OperatingCheck::readAmounts(const QString &connectionName, const QString &bankCode, int year, int month,
                                 AmountLookup *amounts, int *rowCount, QString *error)
{
    amounts->clear();
    *rowCount = 0;
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!db.isOpen()) {
        *error = QStringLiteral("connection %1 is not open").arg(connectionName);
        return false;
    }
    // The month query of the operating data tab, in its order (the first row of a
    // code is the one an exact-match look-up finds).
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("select a.acc_code, a.amt from MPBANK a, CACNO B "
                             "where B.acc_code = a.acc_code and a.bank_code = :BANK_CODE "
                             "and a.m_year = :seYYY and a.m_month = :seMM "
                             "order by a.m_year, a.m_month, a.SERIAL"));
    q.bindValue(QStringLiteral(":BANK_CODE"), bankCode);
    q.bindValue(QStringLiteral(":seYYY"), year);
    q.bindValue(QStringLiteral(":seMM"), month);
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    while (q.next()) {
        amounts->add(q.value(0).toString(), q.value(1).toDouble());
        ++*rowCount;
    }
    return true;
}

OperatingCheck::Status OperatingCheck::prepare(const QString &bankCode, int year, int month)
{
    m_rows.clear();
    m_error.clear();
    m_amounts.clear();
    m_amountRows = 0;
    m_formulas.clear();
    m_explainer.reset();
    if (year == 0 || month == 0)
        return m_status = Status::PeriodIncomplete;
    if (!readAmounts(m_connectionName, bankCode, year, month, &m_amounts, &m_amountRows, &m_error))
        return m_status = Status::DatabaseError;
    return m_status = m_amountRows == 0 ? Status::NoData : Status::Ready;
}

OperatingCheck::Status OperatingCheck::evaluate(const FormulaEvaluator::Progress &progress)
{
    if (m_status != Status::Ready && m_status != Status::AllHold && m_status != Status::RowsFound)
        return m_status;
    m_rows.clear();
    m_explainer.reset();
    // Read for every check, so formulas changed in the formula windows count.
    if (!m_formulas.load(FormulaTables::operating(), &m_error, m_connectionName))
        return m_status = Status::DatabaseError;
    m_rows = FormulaEvaluator::check(m_formulas, m_amounts, progress);
    return m_status = m_rows.isEmpty() ? Status::AllHold : Status::RowsFound;
}

std::optional<FormulaExplanation> OperatingCheck::explain(const CheckResultRow &row) const
{
    if (!m_explainer)
        m_explainer.emplace(m_formulas, FormulaTables::operating(), m_connectionName);
    return m_explainer->explain(row, m_amounts);
}

OperatingCheck::Status OperatingCheck::run(const QString &bankCode, int year, int month,
                                           const FormulaEvaluator::Progress &progress)
{
    if (prepare(bankCode, year, month) != Status::Ready)
        return m_status;
    return evaluate(progress);
}
