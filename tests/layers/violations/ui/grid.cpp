#include "db/database.h"

// A comment that names QSqlQuery is no query; the one below is.
/* Nor is QSqlQuery in a block comment. */
int Grid::rows()
{
    auto *count = new QSqlQuery(Database::connection());
    return count->exec(QStringLiteral("select count(*) from BN01")) ? 1 : 0;
}
