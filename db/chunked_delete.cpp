#include "db/chunked_delete.h"

#include "db/change_operation.h"
#include "db/sqlite_statement.h"
#include "db/statement_runner.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>

#include <algorithm>
#include <optional>

QString ChunkedDelete::changedMessage(int expected, int found)
{
    return QStringLiteral("資料已被其他作業變更 (讀入 %1 筆，資料庫有 %2 筆)，請重新查詢後再處理").arg(expected).arg(found);
}

bool ChunkedDelete::run(QString *error) const
{
    const int chunk = chunkRows > 0 ? chunkRows : std::max(100, (expectedRows + 19) / 20);
    // The rows' rowids are read once, by the history's read of the rows when
    // there is one: the chunks delete by those rather than run the statement's
    // joins over the month once a chunk.
    QList<qint64> rowids;
    if (history && !recordRows(&rowids, error))
        return false;
    if (rowids.isEmpty() && !readRowids(&rowids, error))
        return false;
    if (rowids.size() != expectedRows) {
        *error = changedMessage(expectedRows, int(rowids.size()));
        return false;
    }
    const int deleted = deleteRowids(rowids, chunk, error);
    if (deleted < 0)
        return false;
    if (deleted != expectedRows) {
        *error = changedMessage(expectedRows, deleted);
        return false;
    }
    return !history || history->write(error);
}

bool ChunkedDelete::readRowids(QList<qint64> *rowids, QString *error) const
{
    if (sqlite3 *handle = SqliteStatement::handleOf(QSqlDatabase::database(connectionName, false))) {
        SqliteStatement select(handle);
        if (!select.prepare(rowidStatement) || !select.bindNamed(rowidStatement, params)) {
            *error = select.error();
            return false;
        }
        while (select.next())
            rowids->append(select.integer(0));
        if (select.failed())
            *error = select.error();
        return !select.failed();
    }
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    if (!StatementRunner::select(q, connectionName, rowidStatement, params, error))
        return false;
    while (q.next())
        rowids->append(q.value(0).toLongLong());
    return true;
}

int ChunkedDelete::deleteRowids(const QList<qint64> &rowids, int chunk, QString *error) const
{
    // On SQLite one statement of a chunk's rowids, prepared once for the full
    // chunks and once for the last; a server gets each chunk as one message,
    // its rowids (numbers) written into the text.
    sqlite3 *handle = SqliteStatement::handleOf(QSqlDatabase::database(connectionName, false));
    std::optional<SqliteStatement> statement;
    if (handle)
        statement.emplace(handle);
    int prepared = 0;
    int deleted = 0;
    for (qsizetype start = 0; start < rowids.size(); start += chunk) {
        const int rows = int(std::min<qsizetype>(chunk, rowids.size() - start));
        int n = 0;
        if (statement) {
            if (rows != prepared) {
                const QStringList marks(rows, QStringLiteral("?"));
                if (!statement->prepare(
                        QStringLiteral("delete from %1 where rowid in (%2)").arg(table, marks.join(u',')))) {
                    *error = statement->error();
                    return -1;
                }
                prepared = rows;
            }
            for (int i = 0; i < rows; ++i)
                statement->bind(i, rowids.at(start + i));
            if (!statement->exec()) {
                *error = statement->error();
                return -1;
            }
            n = statement->changes();
        } else {
            QStringList ids;
            for (int i = 0; i < rows; ++i)
                ids << QString::number(rowids.at(start + i));
            n = StatementRunner::run(connectionName,
                                     QStringLiteral("delete from %1 where rowid in (%2)").arg(table, ids.join(u',')),
                                     {}, error);
            if (n < 0)
                return -1;
        }
        deleted += n;
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
    return history->addStoredRows(alias, rowidStatement.mid(from + 1), params, true, error, rowids, true);
}
