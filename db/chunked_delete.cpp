#include "db/chunked_delete.h"

#include "db/change_operation.h"
#include "db/repeated_statement.h"

#include <algorithm>

QString ChunkedDelete::changedMessage(int expected, int found)
{
    return QStringLiteral("資料已被其他作業變更 (讀入 %1 筆，資料庫有 %2 筆)，請重新查詢後再處理").arg(expected).arg(found);
}

bool ChunkedDelete::run(QString *error) const
{
    const int chunk = chunkRows > 0 ? chunkRows : std::max(100, (expectedRows + 19) / 20);
    const QString sql = QStringLiteral("delete from %1 where rowid in (%2 limit %3)")
                            .arg(table, rowidStatement)
                            .arg(chunk);
    if (history && !recordRows(error))
        return false;
    RepeatedStatement chunkDelete(connectionName, sql, params);
    int deleted = 0;
    for (;;) {
        const int n = chunkDelete.run(error);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        deleted += n;
        if (progress)
            progress(deleted);
    }
    if (deleted != expectedRows) {
        *error = changedMessage(expectedRows, deleted);
        return false;
    }
    return !history || history->write(error);
}

bool ChunkedDelete::recordRows(QString *error) const
{
    // "select a.rowid from T a where ...": the rows of T named a, by the same
    // from and where.
    const qsizetype from = rowidStatement.indexOf(QLatin1String(" from "), 0, Qt::CaseInsensitive);
    const QString column = rowidStatement.left(from).section(u' ', 1).trimmed();
    const QString alias = column.contains(u'.') ? column.section(u'.', 0, 0) : table;
    return history->addStoredRows(alias, rowidStatement.mid(from + 1), params, true, error);
}
