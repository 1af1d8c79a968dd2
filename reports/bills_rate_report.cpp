#include "reports/bills_rate_report.h"

#include "reports/bills_label.h"
#include "reports/plain_number.h"

#include <QSqlQuery>
#include <QVariant>

namespace BillsRateReport {

QueryReport description()
{
    QueryReport r;
    r.definition.title = QString::fromUtf8(Title);
    using Fit = ReportDefinition::Fit;
    r.definition.columns = {
        {QStringLiteral("市  場  別"), 26, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("期  限  別"), 30, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("票       券       別"), 48, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("利率別"), 20, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("利  率"), 26, Qt::AlignRight, Fit::Shrink},
    };
    r.select = QStringLiteral("select A.BANK_CODE, A.M_YEAR, A.M_MONTH, A.FLAG1, A.FLAG2, A.FLAG3, A.FLAG4, A.RATE, "
                              "%1, %2, %3, %4 from EM08 A")
                   .arg(BillsLabel::column(QStringLiteral("FLAG1"), 8),
                        BillsLabel::column(QStringLiteral("FLAG2"), 10),
                        BillsLabel::column(QStringLiteral("FLAG3"), 18),
                        BillsLabel::column(QStringLiteral("FLAG4"), 4));
    r.periodTable = QStringLiteral("A");
    r.zeroPeriod = QueryReport::ZeroPeriod::MatchesEvery;
    r.order = QStringLiteral("order by A.M_YEAR, A.M_MONTH, A.FLAG1, A.FLAG2, A.FLAG3, A.FLAG4, A.RATE, A.rowid");
    // By position in the select list above: FLAG1..FLAG4 from 3, RATE at 7,
    // the label columns MFLAG1..MFLAG4 from 8.
    r.line = [](const QSqlQuery &q) {
        using List = BillsCodes::List;
        auto label = [&q](List list, int flag) { return BillsLabel::text(list, q, 3 + flag, 8 + flag); };
        const QVariant rate = q.value(7);
        return ReportRow{{label(List::RateMarket, 0), label(List::RateTerm, 1), label(List::BillKind, 2),
                          label(List::RateKind, 3), PlainNumber::text(rate)},
                         {},
                         {QVariant(), QVariant(), QVariant(), QVariant(), PlainNumber::figure(rate)}};
    };
    return r;
}

ReportOutcome build(const ReportRequest &request)
{
    return description().build(request);
}

} // namespace BillsRateReport
