#pragma once

#include "reports/report_definition.h"

#include <QList>
#include <QString>

// The columns of the two detail reports: the account code, its name and the
// amount, whose heading each report spaces its own way and whose picture is
// each report's own.
namespace AccountAmountColumns {

inline QList<ReportDefinition::Column> withAmountHeading(const QString &amountHeading, const QString &picture)
{
    using Fit = ReportDefinition::Fit;
    return {
        {QStringLiteral("科目代碼"), 30, Qt::AlignLeft, Fit::Wrap},
        {QStringLiteral("科      目      名      稱"), 100, Qt::AlignLeft, Fit::Wrap},
        {amountHeading, 60, Qt::AlignRight, Fit::Shrink, picture},
    };
}

} // namespace AccountAmountColumns
