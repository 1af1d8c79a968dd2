#include "reports/county_check_report.h"

#include "checks/county_amounts.h"
#include "checks/county_check.h"
#include "checks/formula_set.h"
#include "reports/check_report_table.h"
#include "reports/month_rows.h"
#include "reports/report_title_block.h"

#include <QSqlQuery>
#include <QVariant>

namespace CountyCheckReport {

namespace {

const QString Picture = QStringLiteral("#,###,###,###,###,###");

// The month's county amounts of every institution; false and *error on an engine error.
bool readAmounts(const ReportRequest &request, CountyAmounts *amounts, QString *error)
{
    // The first row of a county and code is the one the look-up keeps; equal
    // codes keep their stored order.
    return MonthRows::read(request,
                           QStringLiteral("select A.M_YEAR,A.M_MONTH,A.ACC_CODE,A.AMT,A.HSIEN_ID from HMPBANK A "
                                          "where A.M_YEAR=:paramM_YEAR and A.M_MONTH=:paramM_MONTH "
                                          "order by A.ACC_CODE, A.rowid"),
                           [amounts](const QSqlQuery &q) {
                               amounts->add(q.value(4).toString(), q.value(2).toString(), q.value(3).toDouble());
                           },
                           error);
}

} // namespace

ReportOutcome fromRows(const ReportRequest &request, const QList<CheckResultRow> &rows)
{
    ReportDefinition d;
    d.title = QString::fromUtf8(Title);
    // The period stands without its caption; no unit, no institution.
    d.titleFields = {ReportTitleBlock::printedOn(request.printedOn), ReportTitleBlock::period(request.period)};
    d.columns = CheckReportTable::columns(Picture);
    return ReportOutcome::ready(std::move(d), CheckReportTable::rows(rows, Picture));
}

ReportOutcome build(const ReportRequest &request)
{
    CountyAmounts amounts;
    QString error;
    if (!readAmounts(request, &amounts, &error))
        return ReportOutcome::failed(error);
    if (amounts.size() == 0)
        return ReportOutcome::nothingToPrint(QStringLiteral("查無符合資料!!!"), ReportOutcome::Notice::Silent);

    FormulaSet formulas;
    QList<CountyCheck::County> counties;
    if (!formulas.load(FormulaTables::county(), &error, request.connectionName)
        || !CountyCheck::readCounties(request.connectionName, &counties, &error))
        return ReportOutcome::failed(error);
    const QList<CheckResultRow> rows = CountyCheck::evaluate(formulas, counties, amounts);
    if (rows.isEmpty())
        return ReportOutcome::nothingToPrint(QStringLiteral("資料完全符合!!!"), ReportOutcome::Notice::Warning);
    return fromRows(request, rows);
}

} // namespace CountyCheckReport
