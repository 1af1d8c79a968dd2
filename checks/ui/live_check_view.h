#pragma once

#include "checks/check_result_row.h"
#include "checks/live_check_session.h"
#include "common/period.h"
#include "db/database.h"

#include <QList>
#include <QObject>

class CachedDataset;
class CheckResultModel;
class CheckStepPane;
class QLabel;
class QTableView;
class QToolButton;
class QWidget;
class RecordGrid;

// What a data tab shows of the check while keying, made once per tab:
//  - a status panel (pnlLiveStatus) for the tab's header: labLiveCheck says how
//    many formulas fail now ("3 條公式不符", "公式全部相符") and the button
//    sbLivePane shows or hides the pane;
//  - the pane (pnlLiveCheck) for under the grid: the failing formulas in the
//    result window's layout (dgLiveCheck) and the steps of the current one
//    (pnlSteps, the result window's own step pane). A click on a formula puts
//    the grid's cursor on the amount of its first account.
// Both are there only while the month is edited (follow()); whether the pane is
// shown is remembered between starts in the program's settings.
class LiveCheckView : public QObject
{
    Q_OBJECT
public:
    LiveCheckView(LiveCheckSession::Kind kind, CachedDataset &rows, RecordGrid *grid, int amountColumn,
                  QWidget *tab, const QString &connectionName = Database::connectionName());

    QWidget *statusPanel() const { return m_status; }
    QWidget *pane() const { return m_pane; }
    const LiveCheckSession &session() const { return *m_session; }

    // The words of the status panel for a number of failing formulas.
    static QString countText(int failing);
    // The settings key of the pane's visibility (organisation "Velqora", application "velq8").
    static QString paneSettingKey() { return QStringLiteral("LiveCheck/ShowPane"); }

    QLabel *labLiveCheck = nullptr;
    QToolButton *sbLivePane = nullptr;
    QTableView *dgLiveCheck = nullptr;
    CheckStepPane *pnlSteps = nullptr;

public slots:
    // The month's editing started (on) or ended: the check starts over the
    // period's rows, or stops and both parts are hidden.
    void follow(bool editing, Period period);

private:
    void buildStatus(QWidget *tab);
    void buildPane(QWidget *tab);
    void showPane(bool shown);
    void showCount();
    void showFailures();
    void setRows(const QList<CheckResultRow> &rows);
    void showSteps();
    void goToAccount(const QModelIndex &index);

    CachedDataset &m_rows;
    RecordGrid *m_grid;
    int m_amountColumn;
    LiveCheckSession *m_session = nullptr;
    QWidget *m_status = nullptr;
    QWidget *m_pane = nullptr;
    CheckResultModel *m_model = nullptr;
    QList<LiveCheck::Failure> m_listed;   // the failures dgLiveCheck lists, in its order
};
