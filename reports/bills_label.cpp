#include "reports/bills_label.h"

#include <QSqlQuery>
#include <QVariant>

namespace BillsLabel {

QString column(const QString &flag, int blanks)
{
    return QStringLiteral("(A.%1||'  '||'%2') AS M%1").arg(flag, QString(blanks, u' '));
}

QString text(BillsCodes::List list, const QSqlQuery &query, const QString &flag)
{
    const QString label = BillsCodes::label(list, query.value(flag).toString());
    return label.isEmpty() ? query.value(u'M' + flag).toString() : label;
}

QString text(BillsCodes::List list, const QSqlQuery &query, int flagColumn, int labelColumn)
{
    const QString label = BillsCodes::label(list, query.value(flagColumn).toString());
    return label.isEmpty() ? query.value(labelColumn).toString() : label;
}

} // namespace BillsLabel
