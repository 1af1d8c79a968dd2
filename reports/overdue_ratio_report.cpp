#include "reports/overdue_ratio_report.h"

#include "reports/plain_number.h"

#include <QSqlQuery>
#include <QVariant>

namespace OverdueRatioReport {

QueryReport description()
{
    QueryReport r;
    r.definition.title = QString::fromUtf8(Title);
    using Fit = ReportDefinition::Fit;
    r.definition.columns = {
        {QStringLiteral("營業單位名稱"), 110, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("逾  放  比  率"), 40, Qt::AlignRight, Fit::Shrink},
    };
    // A unit without a name keeps its code.
    r.select = QStringLiteral("SELECT Em03.M_YEAR, Em03.M_MONTH, Em03.M_RATE, "
                              "(Bn01.BANK_NO || '   ') || coalesce(Bn01.BANK_NAME, '') BANKNAME, "
                              "Em03.BANK_CODE BANK_NO "
                              "FROM EM03 Em03 INNER JOIN BN01 Bn01 ON (Em03.BANK_CODE1 = Bn01.BANK_NO)");
    r.periodTable = QStringLiteral("Em03");
    r.zeroPeriod = QueryReport::ZeroPeriod::MatchesEvery;
    r.order = QStringLiteral("ORDER BY Em03.M_YEAR, Em03.M_MONTH, Em03.M_RATE DESC, Em03.rowid");
    r.line = [](const QSqlQuery &q) {
        const QVariant ratio = q.value(QStringLiteral("M_RATE"));
        return ReportRow{{q.value(QStringLiteral("BANKNAME")).toString(), PlainNumber::text(ratio)},
                         {},
                         {QVariant(), PlainNumber::figure(ratio)}};
    };
    return r;
}

ReportOutcome build(const ReportRequest &request)
{
    return description().build(request);
}

} // namespace OverdueRatioReport
