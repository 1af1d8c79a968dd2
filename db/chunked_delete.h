#pragma once

#include "db/database.h"

class ChangeOperation;

#include <QList>
#include <QString>
#include <QVariantMap>
#include <functional>

// Deletes a set of rows of one table a chunk of rows at a time, so that a
// gauge can follow: their rowids are read once, then "delete from T where
// rowid in (<a chunk of them>)" until every one went. The rows are given as a
// select of their rowids (PeriodQuery::rowidStatement), so exactly the rows a
// tab shows go, not others of the month it does not show.
//
// The caller holds the transaction: a delete that fails, or finds another
// number of rows than it was told to expect (another writer added or removed
// rows of the month since they were read), returns false with a message and
// leaves the rolling back to the caller.
class ChunkedDelete
{
public:
    QString connectionName = Database::connectionName();
    QString table;
    QString rowidStatement;     // select <alias>.rowid from ... where ...
    QVariantMap params;         // its named parameters, without ':'
    int expectedRows = 0;
    // Rows a chunk deletes; 0: a twentieth of the expected rows (at least 100).
    int chunkRows = 0;
    // After each chunk: the rows deleted so far.
    std::function<void(int deleted)> progress;
    // The history of the delete, when given: before the first chunk the rows
    // about to go are added to it, in one statement over the same rows
    // (rowidStatement's from and where; the chunks then delete the rowids
    // that read found), and once every chunk went it is written, inside the
    // caller's transaction.
    ChangeOperation *history = nullptr;

    // True when exactly expectedRows rows were deleted; false + *error otherwise.
    bool run(QString *error) const;

    // The message when the rows found differ from the rows expected (also the
    // import's, when its delete of a month finds other rows than it counted).
    static QString changedMessage(int expected, int found);

private:
    bool recordRows(QList<qint64> *rowids, QString *error) const;
    // The rowids of rowidStatement's rows, without the history.
    bool readRowids(QList<qint64> *rowids, QString *error) const;
    // Deletes the rows of `rowids` a chunk at a time: the rows deleted, or
    // -1 + *error.
    int deleteRowids(const QList<qint64> &rowids, int chunk, QString *error) const;
};
