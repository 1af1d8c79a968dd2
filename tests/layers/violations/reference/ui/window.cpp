#include "reference/reference_key.h"
#include <QSqlQuery>

bool KeyWindow::isStored()
{
    QSqlQuery query(Database::connection());
    return query.exec(QStringLiteral("select 1 from BN01")) && query.next();
}
