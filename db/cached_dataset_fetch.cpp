#include "db/cached_dataset.h"

#include "db/engine_message.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <climits>

// How CachedDataset reads a long result in parts: the first rows on open(),
// more as a grid scrolls or something needs a row not yet read, the rest a
// part per turn of the event loop. An unfinished read keeps its statement
// open; it is listed here per connection so that a writer can have every such
// read finished before it changes the tables (SQLite leaves it undefined
// whether a statement still running sees what its own connection writes).

namespace {

// Rows read per step while reading the rest, and how long one turn of the event
// loop may read before the user's events run again.
constexpr int RestPart = 2048;
constexpr qint64 TurnMs = 15;

QList<CachedDataset *> &unfinished()
{
    static QList<CachedDataset *> datasets;
    return datasets;
}

} // namespace

void CachedDataset::setFetchSize(int rows)
{
    m_fetchSize = std::max(1, rows);
}

void CachedDataset::fetchAllOn(const QString &connectionName)
{
    // Finishing a read takes it off the list: work on a copy.
    const QList<CachedDataset *> datasets = unfinished();
    for (CachedDataset *dataset : datasets) {
        if (dataset->m_connectionName == connectionName)
            dataset->fetchAll();
    }
}

void CachedDataset::fetchAll()
{
    while (m_cursor)
        fetchRows(RestPart);
}

int CachedDataset::recordCount() const
{
    const_cast<CachedDataset *>(this)->fetchAll();
    return m_rows.count();
}

bool CachedDataset::isEmpty() const
{
    return !ensureRow(0);
}

bool CachedDataset::hasRow(int row) const
{
    return ensureRow(row);
}

bool CachedDataset::ensureRow(int row) const
{
    // Reading more changes what the dataset has read, never what it holds.
    auto *self = const_cast<CachedDataset *>(this);
    while (row >= m_rows.count() && self->m_cursor)
        self->fetchRows(std::max(m_fetchSize, row - m_rows.count() + 1));
    return row >= 0 && row < m_rows.count();
}

bool CachedDataset::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_cursor != nullptr;
}

void CachedDataset::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid())
        fetchRows(m_fetchSize);
}

int CachedDataset::fetchRows(int limit)
{
    if (!m_cursor || limit <= 0)
        return 0;
    QSqlQuery &q = *m_cursor;
    const int n = m_fields.count();
    // The part is read (and packed) before the model announces it: the signal
    // must say how many rows come.
    QList<CachedRow> part;
    part.reserve(std::min(limit, RestPart));
    QVariantList values(n);
    bool ended = false;
    while (part.size() < limit) {
        if (!q.next()) {
            ended = true;
            break;
        }
        for (int i = 0; i < n; ++i)
            values[i] = q.value(m_resultColumns.at(i));
        part << m_rows.packLoaded(values);
    }
    if (ended && q.lastError().type() != QSqlError::NoError)
        m_lastError = EngineMessage::of(q.lastError());

    if (!part.isEmpty()) {
        const int first = m_rows.count();
        const bool loud = !quiet();
        if (loud)
            beginInsertRows({}, first, first + int(part.size()) - 1);
        m_rows.addLoaded(part);
        if (loud)
            endInsertRows();
    }
    if (ended)
        stopFetching();
    return int(part.size());
}

void CachedDataset::startFetching(std::unique_ptr<QSqlQuery> cursor)
{
    m_cursor = std::move(cursor);
    unfinished().append(this);
    m_fetchTimer.start();
}

void CachedDataset::stopFetching()
{
    m_fetchTimer.stop();
    unfinished().removeAll(this);
    if (!m_cursor)
        return;
    m_cursor.reset();   // finishes the statement
    m_rows.finishLoad();
}

void CachedDataset::fetchInBackground()
{
    if (!m_cursor)
        return;
    // While a loop has the model's signals held, its reset will show what is
    // read; reading now would only make the loop wait.
    if (!m_signals.isSuspended()) {
        QElapsedTimer turn;
        turn.start();
        while (m_cursor && turn.elapsed() < TurnMs)
            fetchRows(RestPart / 4);
    }
    if (m_cursor)
        m_fetchTimer.start();
}
