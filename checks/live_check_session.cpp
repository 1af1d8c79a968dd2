#include "checks/live_check_session.h"

#include "checks/county_check.h"
#include "db/cached_dataset.h"

namespace {

// The column showing AMT (the columns may be given in any case; without a
// column list every field is a column).
int amountColumnOf(const CachedDataset &rows)
{
    const QStringList columns = rows.columns();
    if (columns.isEmpty())
        return rows.fieldIndex(QStringLiteral("AMT"));
    for (int c = 0; c < columns.size(); ++c) {
        if (columns.at(c).compare(QStringLiteral("AMT"), Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

} // namespace

LiveCheckSession::LiveCheckSession(Kind kind, const CachedDataset &rows, QString connectionName, QObject *parent)
    : QObject(parent), m_kind(kind), m_rows(rows), m_connectionName(std::move(connectionName))
{
}

bool LiveCheckSession::start(int year, int month)
{
    stop();
    m_error.clear();
    if (year == 0 || month == 0 || !m_rows.isOpen())
        return false;
    const bool county = m_kind == Kind::County;
    const FormulaTables tables = county ? FormulaTables::county() : FormulaTables::operating();
    FormulaSet set;
    if (!set.load(tables, &m_error, m_connectionName))
        return false;
    if (county) {
        // Judged county by county in code order, as the county check judges them.
        QList<CountyCheck::County> counties;
        if (!CountyCheck::readCounties(m_connectionName, &counties, &m_error))
            return false;
        for (const CountyCheck::County &c : counties) {
            m_countyIds.append(c.id);
            m_countyPrefixes.append(CountyCheck::remarkPrefix(c));
        }
    }
    m_year = year;
    m_month = month;
    readAmounts();
    m_check.start(std::move(set), tables, m_connectionName, groups());

    m_connections = {
        connect(&m_rows, &QAbstractItemModel::dataChanged, this, &LiveCheckSession::cellsChanged),
        connect(&m_rows, &QAbstractItemModel::modelReset, this, &LiveCheckSession::rowsReplaced),
        connect(&m_rows, &QAbstractItemModel::rowsInserted, this, &LiveCheckSession::rowsReplaced),
        connect(&m_rows, &QAbstractItemModel::rowsRemoved, this, &LiveCheckSession::rowsReplaced),
    };
    emit changed();
    return true;
}

void LiveCheckSession::stop()
{
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    const bool wasRunning = m_check.isRunning();
    m_check.stop();
    m_amounts = {};
    m_countyIds.clear();
    m_countyPrefixes.clear();
    m_lastJudged = 0;
    if (wasRunning)
        emit changed();
}

void LiveCheckSession::readAmounts()
{
    m_amounts = m_kind == Kind::County ? GridAmounts::county(m_rows, m_year, m_month, m_countyIds)
                                       : GridAmounts::operating(m_rows, m_year, m_month);
}

QList<LiveCheck::Group> LiveCheckSession::groups() const
{
    QList<LiveCheck::Group> list;
    const QList<AmountLookup> &lookups = m_amounts.groups();
    for (int g = 0; g < lookups.size(); ++g)
        list.append({lookups.at(g), m_kind == Kind::County ? m_countyPrefixes.at(g) : QString()});
    return list;
}

void LiveCheckSession::cellsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    // Only the amount column moves a formula; the rows of the range are few (one
    // cell as it is typed, one row as an edit is cancelled).
    const int amountColumn = amountColumnOf(m_rows);
    if (amountColumn < topLeft.column() || amountColumn > bottomRight.column())
        return;
    m_lastJudged = 0;
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        const std::optional<GridAmounts::Place> place = m_amounts.placeOf(row);
        if (place)
            m_lastJudged += m_check.setAmount(place->group, place->code, GridAmounts::amountOf(m_rows, row));
    }
    emit changed();
}

void LiveCheckSession::rowsReplaced()
{
    readAmounts();
    m_check.restart(groups());
    emit changed();
}

int LiveCheckSession::rowOf(const LiveCheck::Failure &failure) const
{
    return m_amounts.rowOf(failure.group, AmountLookup::key(m_check.firstAccount(failure.formula)));
}
