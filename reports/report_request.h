#pragma once

#include "common/period.h"
#include "db/database.h"
#include "reports/amount_unit.h"

#include <QDate>
#include <QString>

// The parameters a report is built with, from its dialog or from velq8-cli.
// A year or month of 0 is passed on as it is; each report says what it finds then.
struct ReportRequest
{
    Period period;
    AmountUnit unit;
    QDate printedOn;        // "製表日期:" (today unless told otherwise)
    QString county;         // the county reports: "0" for every county, else a code
    QString connectionName = Database::connectionName();
};
