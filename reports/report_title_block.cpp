#include "reports/report_title_block.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace ReportTitleBlock {

QString printedOn(const QDate &date)
{
    return QStringLiteral("製表日期:") + date.toString(QStringLiteral("yyyy/MM/dd"));
}

QString unit(AmountUnit unit)
{
    return QStringLiteral("單位金額:") + unit.text();
}

QString institution(const QString &bankName)
{
    return QStringLiteral("總機構名稱:") + bankName.trimmed();
}

QString period(const Period &period)
{
    return QStringLiteral("%1年 %2月").arg(period.year).arg(period.month);
}

QString periodField(const Period &p)
{
    return QStringLiteral("資料基期:") + period(p);
}

bool declaringInstitutionName(const QString &connectionName, QString *name, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("select BANK_NAME from BN01 order by rowid limit 1"))) {
        *error = q.lastError().text();
        return false;
    }
    *name = q.next() ? q.value(0).toString() : QString();
    return true;
}

} // namespace ReportTitleBlock
