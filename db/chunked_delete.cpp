#include "db/chunked_delete.h"

#include "db/change_operation.h"
#include "db/engine_message.h"
#include "db/repeated_statement.h"
#include "db/sqlite_statement.h"

#include <QSqlDatabase>
#include <QStringList>

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
    // The history reads the rows before they go; where it read them here
    // (SQLite) their rowids come with them, and the chunks delete by those
    // rather than run the statement's joins over the month once more.
    QList<qint64> rowids;
    if (history && !recordRows(&rowids, error))
        return false;
    int deleted = 0;
    if (!rowids.isEmpty()) {
        if (rowids.size() != expectedRows) {
            *error = changedMessage(expectedRows, int(rowids.size()));
            return false;
        }
        deleted = deleteRowids(rowids, chunk, error);
        if (deleted < 0)
            return false;
    } else {
        RepeatedStatement chunkDelete(connectionName, sql, params);
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
    }
    if (deleted != expectedRows) {
        *error = changedMessage(expectedRows, deleted);
        return false;
    }
    return !history || history->write(error);
}

int ChunkedDelete::deleteRowids(const QList<qint64> &rowids, int chunk, QString *error) const
{
    sqlite3 *handle = SqliteStatement::handleOf(QSqlDatabase::database(connectionName, false));
    if (!handle) {
        *error = EngineMessage::connectionClosed(connectionName);
        return -1;
    }
    // One statement of a chunk's rowids, prepared once for the full chunks
    // and once for the last.
    SqliteStatement statement(handle);
    int prepared = 0;
    int deleted = 0;
    for (qsizetype start = 0; start < rowids.size(); start += chunk) {
        const int rows = int(std::min<qsizetype>(chunk, rowids.size() - start));
        if (rows != prepared) {
            QStringList marks(rows, QStringLiteral("?"));
            if (!statement.prepare(QStringLiteral("delete from %1 where rowid in (%2)")
                                       .arg(table, marks.join(u',')))) {
                *error = statement.error();
                return -1;
            }
            prepared = rows;
        }
        for (int i = 0; i < rows; ++i)
            statement.bind(i, rowids.at(start + i));
        if (!statement.exec()) {
            *error = statement.error();
            return -1;
        }
        deleted += statement.changes();
        if (progress)
            progress(deleted);
    }
    return deleted;
}

bool ChunkedDelete::recordRows(QList<qint64> *rowids, QString *error) const
{
    // "select a.rowid from T a where ...": the rows of T named a, by the same
    // from and where.
    const qsizetype from = rowidStatement.indexOf(QLatin1String(" from "), 0, Qt::CaseInsensitive);
    const QString column = rowidStatement.left(from).section(u' ', 1).trimmed();
    const QString alias = column.contains(u'.') ? column.section(u'.', 0, 0) : table;
    return history->addStoredRows(alias, rowidStatement.mid(from + 1), params, true, error, rowids);
}
