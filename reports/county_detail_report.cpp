#include "reports/county_detail_report.h"

#include "common/field_text.h"
#include "common/number_picture.h"
#include "reports/account_amount_columns.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace CountyDetailReport {

namespace {

bool isAllCounties(const QString &choice)
{
    return choice.trimmed().isEmpty() || choice.trimmed() == QLatin1String(AllCounties);
}

} // namespace

bool readCounties(const QString &connectionName, const QString &choice, QMap<QString, QString> *names,
                  QString *error)
{
    names->clear();
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    q.setForwardOnly(true);
    const bool all = isAllCounties(choice);
    QString sql = QStringLiteral("SELECT A.HSIEN_ID,A.HSIEN_NAME FROM CD01 A ");
    if (!all)
        sql += QStringLiteral("where A.HSIEN_ID=:HSIEN_ID ");
    q.prepare(sql + QStringLiteral("order by A.HSIEN_ID"));
    if (!all)
        q.bindValue(QStringLiteral(":HSIEN_ID"), choice.trimmed());
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    while (q.next()) {
        const QString code = FieldText::withoutTrailingBlanks(q.value(0));
        const QString name = q.value(1).toString().trimmed();
        // A county without a name is still named on its pages, by its code.
        names->insert(code, name.isEmpty() ? code : name);
    }
    return true;
}

bool countyItems(const QString &connectionName, QStringList *items, QString *error)
{
    *items = {QString::fromUtf8(AllCountiesItem)};
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    q.setForwardOnly(true);
    if (!q.exec(QString::fromLatin1(CountyListQuery))) {
        *error = q.lastError().text();
        return false;
    }
    while (q.next())
        items->append(q.value(0).toString());
    return true;
}

namespace {
const QString Picture = QStringLiteral("#,###,###,###,###,###");
}

QString countyOfItem(const QString &item)
{
    return item.left(1);
}

QueryReport description(AmountUnit unit, const QMap<QString, QString> &counties)
{
    QueryReport r;
    r.definition.title = QString::fromUtf8(Title);
    r.definition.titlePlacement = ReportDefinition::TitlePlacement::EveryPage;
    r.definition.groupsStartPages = true;
    r.definition.columns = AccountAmountColumns::withAmountHeading(QStringLiteral("金        額"), Picture);
    r.select = QStringLiteral("select A.M_YEAR,A.M_MONTH,A.ACC_CODE,%1,B.ACC_NAME,A.HSIEN_ID from HMPBANK A,HCACNO  B")
                   .arg(unit.scaledField(QStringLiteral("A.AMT"), QStringLiteral("AMT")));
    r.conditions = {QStringLiteral("B.ACC_CODE=A.ACC_CODE"), QStringLiteral("A.HSIEN_ID>=:SHSIEN_ID"),
                    QStringLiteral("A.HSIEN_ID<=:EHSIEN_ID")};
    r.bindings = {{QStringLiteral(":SHSIEN_ID"), counties.firstKey()},
                  {QStringLiteral(":EHSIEN_ID"), counties.lastKey()}};
    r.periodTable = QStringLiteral("A");
    r.zeroPeriod = QueryReport::ZeroPeriod::MatchesNothing;
    // Two institutions' rows of one county and account keep their stored order.
    r.order = QStringLiteral("order by A.HSIEN_ID,A.ACC_CODE,A.rowid");
    r.line = [counties](const QSqlQuery &q) {
        const QString county = FieldText::withoutTrailingBlanks(q.value(5));
        const double amount = q.value(3).toDouble();
        return ReportRow{{q.value(2).toString().trimmed(), q.value(4).toString().trimmed(),
                          NumberPicture::format(amount, Picture)},
                         counties.value(county, county),
                         {QVariant(), QVariant(), amount}};
    };
    return r;
}

ReportOutcome build(const ReportRequest &request)
{
    QMap<QString, QString> counties;
    QString error;
    if (!readCounties(request.connectionName, request.county, &counties, &error))
        return ReportOutcome::failed(error);
    if (counties.isEmpty())
        return QueryReport::nothingFound();
    return description(request.unit, counties).build(request);
}

} // namespace CountyDetailReport
