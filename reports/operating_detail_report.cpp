#include "reports/operating_detail_report.h"

#include "common/number_picture.h"
#include "reports/account_amount_columns.h"

#include <QSqlQuery>
#include <QVariant>

namespace OperatingDetailReport {

namespace {
const QString Picture = QStringLiteral(",#.###");
}

QueryReport description(AmountUnit unit)
{
    QueryReport r;
    r.definition.title = QString::fromUtf8(Title);
    r.definition.columns = AccountAmountColumns::withAmountHeading(QStringLiteral("金           額"), Picture);
    r.select = QStringLiteral("select A.M_YEAR,A.M_MONTH,A.ACC_CODE,%1,B.ACC_NAME,A.SERIAL  from MPBANK A,CACNO  B")
                   .arg(unit.scaledField(QStringLiteral("A.AMT"), QStringLiteral("AMT")));
    r.conditions = {QStringLiteral("B.ACC_CODE=A.ACC_CODE")};
    r.periodTable = QStringLiteral("A");
    r.zeroPeriod = QueryReport::ZeroPeriod::MatchesNothing;
    // Rows of equal SERIAL (two institutions) keep their stored order.
    r.order = QStringLiteral("order by A.SERIAL, A.rowid");
    r.line = [](const QSqlQuery &q) {
        const double amount = q.value(3).toDouble();
        return ReportRow{{q.value(2).toString().trimmed(), q.value(4).toString().trimmed(),
                          NumberPicture::format(amount, Picture)},
                         {},
                         {QVariant(), QVariant(), amount}};
    };
    return r;
}

ReportOutcome build(const ReportRequest &request)
{
    return description(request.unit).build(request);
}

} // namespace OperatingDetailReport
