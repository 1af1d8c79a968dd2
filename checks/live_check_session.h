#pragma once

#include "checks/grid_amounts.h"
#include "checks/live_check.h"
#include "db/database.h"

#include <QObject>
#include <QString>
#include <QStringList>

class CachedDataset;

// The check while keying over one data tab's rows: while the month is edited it
// follows every amount posted to the dataset's row cache and keeps LiveCheck up
// to date; it reads the formulas (and the counties) once when started and never
// writes anything, neither to the rows nor to the tables.
//
//   start()   reads the formulas, indexes them and judges the month the rows hold;
//   a cell    changed (dataChanged over AMT) re-judges the formulas of its
//             account in its group (its county on the county tab);
//   rows      replaced, added or removed: the amounts are read again and every
//             formula judged again (the formulas and the index stay);
//   stop()    forgets it all.
// changed() tells after each of these.
class LiveCheckSession : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Operating, County };

    LiveCheckSession(Kind kind, const CachedDataset &rows, QString connectionName = Database::connectionName(),
                     QObject *parent = nullptr);

    // False and errorText() when the formulas or the counties cannot be read.
    bool start(int year, int month);
    void stop();
    bool isRunning() const { return m_check.isRunning(); }
    QString errorText() const { return m_error; }

    const LiveCheck &check() const { return m_check; }
    Kind kind() const { return m_kind; }
    // The dataset row holding the first account of a failing formula in its
    // group, or -1 (the grid lacks the account).
    int rowOf(const LiveCheck::Failure &failure) const;
    // How many formulas the last changed cell had judged again.
    int lastJudged() const { return m_lastJudged; }

signals:
    void changed();

private:
    void cellsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight);
    void rowsReplaced();
    void readAmounts();
    QList<LiveCheck::Group> groups() const;

    const Kind m_kind;
    const CachedDataset &m_rows;
    const QString m_connectionName;
    int m_year = 0;
    int m_month = 0;
    QStringList m_countyIds;
    QStringList m_countyPrefixes;
    GridAmounts m_amounts;
    LiveCheck m_check;
    QString m_error;
    int m_lastJudged = 0;
    QList<QMetaObject::Connection> m_connections;
};
