#include "reports/operating_detail_report.h"

#include "common/number_picture.h"
#include "reports/report_title_block.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace OperatingDetailReport {

namespace {

ReportDefinition definition(const ReportRequest &request, const QString &bankName)
{
    ReportDefinition d;
    d.title = QString::fromUtf8(Title);
    d.titleFields = {ReportTitleBlock::institution(bankName), ReportTitleBlock::printedOn(request.printedOn),
                     ReportTitleBlock::periodField(request.period), ReportTitleBlock::unit(request.unit)};
    using Fit = ReportDefinition::Fit;
    d.columns = {
        {QStringLiteral("科目代碼"), 30, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("科      目      名      稱"), 100, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("金           額"), 60, Qt::AlignRight, Fit::Shrink},
    };
    return d;
}

} // namespace

QString statement(AmountUnit unit)
{
    // Rows of equal SERIAL (two institutions) keep their stored order.
    return QStringLiteral("select A.M_YEAR,A.M_MONTH,A.ACC_CODE,%1,B.ACC_NAME,A.SERIAL  from MPBANK A,CACNO  B "
                          "where B.ACC_CODE=A.ACC_CODE and A.M_YEAR=:paramM_YEAR and A.M_MONTH=:paramM_MONTH "
                          "order by A.SERIAL, A.rowid")
        .arg(unit.scaledField(QStringLiteral("A.AMT"), QStringLiteral("AMT")));
}

ReportOutcome build(const ReportRequest &request)
{
    QSqlQuery q(QSqlDatabase::database(request.connectionName, false));
    q.setForwardOnly(true);
    if (!q.prepare(statement(request.unit)))
        return ReportOutcome::failed(q.lastError().text());
    q.bindValue(QStringLiteral(":paramM_YEAR"), request.period.year);
    q.bindValue(QStringLiteral(":paramM_MONTH"), request.period.month);
    if (!q.exec())
        return ReportOutcome::failed(q.lastError().text());
    QList<ReportRow> rows;
    while (q.next()) {
        rows.append({{q.value(2).toString().trimmed(), q.value(4).toString().trimmed(),
                      NumberPicture::format(q.value(3).toDouble(), u",#.###")},
                     {}});
    }
    if (rows.isEmpty())
        return ReportOutcome::nothingToPrint(QStringLiteral("查無符合資料理!!"), ReportOutcome::Notice::Plain);

    QString bankName, error;
    if (!ReportTitleBlock::declaringInstitutionName(request.connectionName, &bankName, &error))
        return ReportOutcome::failed(error);
    return ReportOutcome::ready(definition(request, bankName), std::move(rows));
}

} // namespace OperatingDetailReport
