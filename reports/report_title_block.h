#pragma once

#include "common/period.h"
#include "reports/amount_unit.h"

#include <QDate>
#include <QString>

// The items of the title block the reports share, each a caption run together
// with its value: "製表日期:2026/03/05", "單位金額:萬元", "總機構名稱:...",
// "資料基期:115年 3月".
namespace ReportTitleBlock {

QString printedOn(const QDate &date);
QString unit(AmountUnit unit);
QString institution(const QString &bankName);
// The period alone, numbers without leading zeros: "115年 3月".
QString period(const Period &period);
QString periodField(const Period &period);

// The BANK_NAME of the first BN01 record in stored order (empty when BN01 is
// empty). False and *error on an engine error.
bool declaringInstitutionName(const QString &connectionName, QString *name, QString *error);

} // namespace ReportTitleBlock
