#pragma once

#include "entry/data_tab_page.h"
#include "entry/month_tab_description.h"
#include "ui/shell.h"

#include <QElapsedTimer>
#include <optional>

class CachedDataset;
class ChunkedDelete;
class QLabel;
class QProgressBar;
class QSplitter;
class RecordGrid;

// A data tab that keeps a whole month of one declaration kind: queried by
// period, created at once as the rows its description builds (all amounts 0),
// keyed in, saved, modified and deleted as a whole. Everything the month tabs
// share is here; what a tab is (its kind, columns, new-month rows, delete
// progress, the options where it departs) comes from its MonthTabDescription.
//
//   Query    the kind's period query (year or month 0: unfiltered).
//   Add      refuses an incomplete period; an existing month is only offered
//            for modifying ("資料已存在是否確定修改!!!"); an empty one gets the
//            new-month rows in add mode. Nothing is written until Save.
//   Modify   the month's rows in modify mode; an empty month is offered for
//            adding ("查無此資料，請問是否要新增 ???").
//   Delete   the whole month in one transaction: the month query's rows by its
//            own condition in one statement run a chunk at a time with the
//            gauge (refused when the table no longer holds the rows read), or
//            rows keyed in or imported row by row ("刪除成功!!!" or
//            "刪除失敗!!!": then nothing is deleted
//            and the rows are back as the table holds them); the mode and the
//            buttons are left as they were unless the tab sets its buttons itself.
//   Save, Discard, Clear, navigation and the period rule: the record toolbar.
class MonthTab : public DataTabPage
{
    Q_OBJECT
public:
    MonthTab(Shell &shell, MonthTabDescription description, QWidget *parent = nullptr);

    const MonthTabDescription &description() const { return m_description; }
    RecordGrid *grid() const { return m_grid; }
    QLabel *deleteLabel() const { return m_deleteLabel; }
    QProgressBar *deleteGauge() const { return m_deleteGauge; }
    // Where the focus goes when editing starts: the first editable column.
    int editColumn() const { return m_editColumn; }

    // The toolbar's buttons (public so the main window and tests can run them).
    void query();
    void add();
    void modify();
    void deleteMonth();
    bool save();
    // After the import dialog filled and applied the dataset: back to browse, the
    // buttons as the imported rows allow, the focus on the grid when there are rows.
    // A tab that reads its rows again on Save first reads the `imported` month
    // through its own statement: the import leaves the dataset on one of its own
    // that selects nothing, which a later re-read would show as an empty month.
    void afterImport(std::optional<Period> imported = std::nullopt);

    // The check while keying: its status panel goes to the header row, its pane
    // under the grid. The tab tells it when the month's editing starts and ends
    // (monthEditingChanged) and nothing else.
    void setLiveCheck(QWidget *statusPanel, QWidget *pane);
    bool isEditingMonth() const { return m_editingMonth; }

    // DataTab
    CachedDataset *dataset() override { return m_dataset; }
    bool saveOnClose() override;

signals:
    // The month's editing started (Add, Modify) or ended (Save, Discard, Clear,
    // a save on close), with the period being edited.
    void monthEditingChanged(bool editing, Period period);

private:
    void buildDataset();
    void buildGrid();
    void buildDeleteProgress();
    void bindToolbar();
    // Runs the month query for the period: true with rows, false without,
    // nullopt when the statement failed (the engine's message is shown). `order`
    // replaces the query's order when given.
    std::optional<bool> runMonthQuery(const Period &period, const QString &order = {});
    // Whether the period holds rows of any institution (same answers).
    std::optional<bool> lookUpPeriod();
    // Add mode with the new month's rows; `editFirstRow` puts the first into editing.
    void createMonth(bool editFirstRow);
    void startEditing(EditMode mode, bool editFirstRow);
    // A year or month of 0 (or empty): the warning, the focus to the year, true.
    bool refuseIncompletePeriod(const QString &message);
    // The delete of the month query's rows by its condition, when the dataset
    // holds exactly them; false when it must go row by row.
    bool wholeMonthDelete(ChunkedDelete *whole) const;
    bool deleteWholeMonth(ChunkedDelete &whole, QString *error);
    void removeRowsWithGauge();
    // The gauge at 0 over the rows held; then rows taken out of the cache, the
    // gauge following each (painted at most once a frame), until `upTo` are out.
    void beginGauge();
    void removeCachedRows(int upTo);
    bool applyDeletion(QString *error);
    bool holdsRows() const;
    // The month being saved or deleted, for the save's claim on it; nullopt
    // when the period is incomplete (the rows are then no single month).
    std::optional<MonthClaim> monthClaim(MonthClaim::Purpose purpose) const;
    // The claim of a Save: Add while the month is being added, else Save.
    std::optional<MonthClaim> saveClaim() const;
    // The tab's own button states (description().buttonStates) for the month as it stands.
    void showOwnButtonStates();
    void showButtons(MonthTabDescription::State state);
    // After every toolbar refresh: tells whether the month's editing started or ended.
    void followEditing();

    const MonthTabDescription m_description;
    CachedDataset *m_dataset = nullptr;
    RecordGrid *m_grid = nullptr;
    QSplitter *m_gridSplitter = nullptr;
    bool m_editingMonth = false;
    QLabel *m_deleteLabel = nullptr;
    QProgressBar *m_deleteGauge = nullptr;
    int m_editColumn = 0;
    int m_gaugeStart = 0;
    int m_gaugeDeleted = 0;
    QElapsedTimer m_sincePaint;
    qint64 m_nextPaintMs = 0;     // the gauge's next paint, after the last (or the start)
};
