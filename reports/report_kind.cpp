#include "reports/report_kind.h"

#include "reports/bills_rate_report.h"
#include "reports/bills_trading_report.h"
#include "reports/county_check_report.h"
#include "reports/county_detail_report.h"
#include "reports/operating_check_report.h"
#include "reports/operating_detail_report.h"
#include "reports/overdue_ratio_report.h"

const QList<ReportKind> &ReportKind::all()
{
    static const QList<ReportKind> kinds{
        {QStringLiteral("operating-detail"), QStringLiteral("TfmVELQ8REPA"), QStringLiteral("營運資料明細表"),
         true, false, OperatingDetailReport::build},
        {QStringLiteral("overdue-ratio"), QStringLiteral("TfmVELQ8REPB"), QStringLiteral("各營業單位逾期放款比率表"),
         true, false, OverdueRatioReport::build},
        {QStringLiteral("bills-rate"), QStringLiteral("TfmVELQ8REPC"), QStringLiteral("兼營票券利率業務統計表"),
         true, false, BillsRateReport::build},
        {QStringLiteral("bills-trading"), QStringLiteral("TfmVELQ8REPD"), QStringLiteral("兼營票券交易業務統計表"),
         true, false, BillsTradingReport::build},
        {QStringLiteral("county-detail"), QStringLiteral("TfmVELQ8REPI"), QStringLiteral("各月營運資料明細表"),
         true, true, CountyDetailReport::build},
        {QStringLiteral("operating-check"), QStringLiteral("TfmVELQ8REPH"), QStringLiteral("營運資料明細檢核表"),
         true, false, OperatingCheckReport::build},
        {QStringLiteral("county-check"), QStringLiteral("TfmVELQ8REPJ"), QStringLiteral("銀行縣市別營運資料檢核表"),
         false, false, CountyCheckReport::build},
    };
    return kinds;
}

const ReportKind *ReportKind::byName(QStringView name)
{
    for (const ReportKind &kind : all()) {
        if (kind.name == name)
            return &kind;
    }
    return nullptr;
}

const ReportKind *ReportKind::byDialogName(QStringView dialogName)
{
    for (const ReportKind &kind : all()) {
        if (kind.dialogName == dialogName)
            return &kind;
    }
    return nullptr;
}
