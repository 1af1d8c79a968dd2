#include "reports/operating_check_report.h"

#include "checks/amount_lookup.h"
#include "checks/formula_evaluator.h"
#include "checks/formula_set.h"
#include "reports/check_report_table.h"
#include "reports/month_rows.h"
#include "reports/report_title_block.h"

#include <QSqlQuery>
#include <QVariant>

namespace OperatingCheckReport {

namespace {

const QString Picture = QStringLiteral(",#.###");

// The month's amounts of every institution; false and *error on an engine error.
bool readAmounts(const ReportRequest &request, AmountLookup *amounts, QString *error)
{
    // The first row of a code is the one the look-up keeps; equal codes keep their stored order.
    return MonthRows::read(request,
                           QStringLiteral("select A.M_YEAR,A.M_MONTH,A.ACC_CODE,A.AMT from MPBANK A "
                                          "where A.M_YEAR=:paramM_YEAR and A.M_MONTH=:paramM_MONTH "
                                          "order by A.ACC_CODE, A.rowid"),
                           [amounts](const QSqlQuery &q) {
                               amounts->add(q.value(2).toString(), q.value(3).toDouble());
                           },
                           error);
}

} // namespace

ReportOutcome fromRows(const ReportRequest &request, const QString &bankName, const QList<CheckResultRow> &rows)
{
    ReportDefinition d;
    d.title = QString::fromUtf8(Title);
    d.titleFields = {ReportTitleBlock::institution(bankName), ReportTitleBlock::printedOn(request.printedOn),
                     ReportTitleBlock::periodField(request.period)};
    d.columns = CheckReportTable::columns(Picture);
    return ReportOutcome::ready(std::move(d), CheckReportTable::rows(rows, Picture));
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
