#include "reports/operating_check_report.h"

#include "checks/amount_lookup.h"
#include "checks/formula_evaluator.h"
#include "checks/formula_set.h"
#include "common/number_picture.h"
#include "reports/remark_lines.h"
#include "reports/report_title_block.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace OperatingCheckReport {

namespace {

QString money(const std::optional<Decimal4> &value)
{
    return value ? NumberPicture::format(value->toDouble(), u",#.###") : QString();
}

// The month's amounts of every institution; false and *error on an engine error.
bool readAmounts(const ReportRequest &request, AmountLookup *amounts, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(request.connectionName, false));
    q.setForwardOnly(true);
    // The first row of a code is the one the look-up keeps; equal codes keep their stored order.
    q.prepare(QStringLiteral("select A.M_YEAR,A.M_MONTH,A.ACC_CODE,A.AMT from MPBANK A "
                             "where A.M_YEAR=:paramM_YEAR and A.M_MONTH=:paramM_MONTH "
                             "order by A.ACC_CODE, A.rowid"));
    q.bindValue(QStringLiteral(":paramM_YEAR"), request.period.year);
    q.bindValue(QStringLiteral(":paramM_MONTH"), request.period.month);
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    while (q.next())
        amounts->add(q.value(2).toString(), q.value(3).toDouble());
    return true;
}

} // namespace

ReportOutcome fromRows(const ReportRequest &request, const QString &bankName, const QList<CheckResultRow> &rows)
{
    ReportDefinition d;
    d.title = QString::fromUtf8(Title);
    d.titleFields = {ReportTitleBlock::institution(bankName), ReportTitleBlock::printedOn(request.printedOn),
                     ReportTitleBlock::periodField(request.period)};
    using Fit = ReportDefinition::Fit;
    d.columns = {
        {QStringLiteral("公       式      說      明"), 120, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("左式金額"), 35, Qt::AlignRight, Fit::Shrink},
        {QStringLiteral("右式金額"), 35, Qt::AlignRight, Fit::Shrink},
    };
    QList<ReportRow> printed;
    printed.reserve(rows.size());
    for (const CheckResultRow &row : rows)
        printed.append({{RemarkLines::twoLines(row.remark), money(row.left), money(row.right)}, {}});
    return ReportOutcome::ready(std::move(d), std::move(printed));
}

ReportOutcome build(const ReportRequest &request)
{
    AmountLookup amounts;
    QString error;
    if (!readAmounts(request, &amounts, &error))
        return ReportOutcome::failed(error);
    if (amounts.isEmpty())
        return ReportOutcome::nothingToPrint(QStringLiteral("查無符合資料!!!"), ReportOutcome::Notice::Plain);

    FormulaSet formulas;
    if (!formulas.load(FormulaTables::operating(), &error, request.connectionName))
        return ReportOutcome::failed(error);
    const QList<CheckResultRow> rows = FormulaEvaluator::check(formulas, amounts);
    if (rows.isEmpty())
        return ReportOutcome::nothingToPrint(QStringLiteral("資料完全符合!!!"), ReportOutcome::Notice::Warning);

    QString bankName;
    if (!ReportTitleBlock::declaringInstitutionName(request.connectionName, &bankName, &error))
        return ReportOutcome::failed(error);
    return fromRows(request, bankName, rows);
}

} // namespace OperatingCheckReport
