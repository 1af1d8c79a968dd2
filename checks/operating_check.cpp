#include "checks/operating_check.h"

#include "common/period.h"
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

OperatingCheck::OperatingCheck(const QString &connectionName)
    : MonthCheck(FormulaTables::operating(), connectionName)
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

OperatingCheck::Status OperatingCheck::prepare(int year, int month)
{
    forget();
    m_amounts.clear();
    m_amountRows = 0;
    if (!Period{year, month}.isComplete())
        return setStatus(Status::PeriodIncomplete);
    if (!readAmounts(connectionName(), m_bankCode, year, month, &m_amounts, &m_amountRows, errorOut()))
        return setStatus(Status::DatabaseError);
    return setStatus(m_amountRows == 0 ? Status::NoData : Status::Ready);
}

OperatingCheck::Status OperatingCheck::prepare(const QString &bankCode, int year, int month)
{
    setBankCode(bankCode);
    return prepare(year, month);
}

OperatingCheck::Status OperatingCheck::run(const QString &bankCode, int year, int month,
                                           const FormulaEvaluator::Progress &progress)
{
    setBankCode(bankCode);
    return run(year, month, progress);
}

bool OperatingCheck::judge(const FormulaEvaluator::Progress &progress, QList<CheckResultRow> *rows, QString *)
{
    *rows = FormulaEvaluator::check(formulas(), m_amounts, progress);
    return true;
}

std::optional<FormulaExplanation> OperatingCheck::explain(const CheckResultRow &row) const
{
    return explainer().explain(row, m_amounts);
}
