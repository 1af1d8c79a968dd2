#include "reports/bills_trading_report.h"

#include "common/number_picture.h"
#include "reports/bills_label.h"

#include <QSqlQuery>
#include <QVariant>

namespace BillsTradingReport {

QueryReport description()
{
    QueryReport r;
    r.definition.title = QString::fromUtf8(Title);
    using Fit = ReportDefinition::Fit;
    r.definition.columns = {
        {QStringLiteral("範     圍"), 40, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("I/O FLAG"), 20, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("票       券       別"), 48, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("筆數"), 28, Qt::AlignRight, Fit::Shrink, QStringLiteral(",#")},
        {QStringLiteral("金   額"), 44, Qt::AlignRight, Fit::Shrink, QStringLiteral(",#.###")},
    };
    r.select = QStringLiteral("select A.BANK_CODE, A.M_YEAR, A.M_MONTH, A.FLAG1, A.FLAG2, A.FLAG3, A.AMT, A.AMT1, "
                              "%1, %2, %3 from EM09 A")
                   .arg(BillsLabel::column(QStringLiteral("FLAG1"), 16),
                        BillsLabel::column(QStringLiteral("FLAG2"), 5),
                        BillsLabel::column(QStringLiteral("FLAG3"), 18));
    r.periodTable = QStringLiteral("A");
    r.zeroPeriod = QueryReport::ZeroPeriod::MatchesEvery;
    r.order = QStringLiteral("order by A.M_YEAR, A.M_MONTH, A.FLAG1, A.FLAG2, A.FLAG3, A.rowid");
    r.line = [](const QSqlQuery &q) {
        using List = BillsCodes::List;
        auto label = [&q](List list, const char *flag) { return BillsLabel::text(list, q, QLatin1String(flag)); };
        const double count = q.value(QStringLiteral("AMT")).toDouble();
        const double amount = q.value(QStringLiteral("AMT1")).toDouble();
        return ReportRow{{label(List::TradeRange, "FLAG1"), label(List::TradeDirection, "FLAG2"),
                          label(List::BillKind, "FLAG3"), NumberPicture::format(count, u",#"),
                          NumberPicture::format(amount, u",#.###")},
                         {},
                         {QVariant(), QVariant(), QVariant(), count, amount}};
    };
    return r;
}

ReportOutcome build(const ReportRequest &request)
{
    return description().build(request);
}

} // namespace BillsTradingReport
