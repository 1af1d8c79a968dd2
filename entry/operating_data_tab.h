#pragma once

#include "entry/data_tab_page.h"

#include <optional>

class CachedDataset;
class QLabel;
class QProgressBar;
class RecordGrid;

// The operating data tab ("營運資料明細檔 "): one amount per operating account
// (MPBANK) of the declaring institution for a month, created as a whole month of
// zero rows, keyed in, saved, queried, modified and deleted as a whole.
class OperatingDataTab : public DataTabPage
{
    Q_OBJECT
public:
    explicit OperatingDataTab(Shell &shell, QWidget *parent = nullptr);

    // The month query's statement: the year and month filters only where asked.
    static QString monthStatement(bool byYear, bool byMonth);

    RecordGrid *grid() const { return m_grid; }
    QLabel *deleteLabel() const { return m_labDEL; }
    QProgressBar *deleteGauge() const { return m_gdeDEL; }

    // The toolbar's buttons (public so the main window and tests can run them).
    void query();
    void add();
    void modify();
    void deleteMonth();
    bool save();
    // After the import dialog filled and applied qryMPBANK: back to browse, the
    // buttons as the imported rows allow, the focus on the grid when there are rows.
    void afterImport();

    // DataTab
    CachedDataset *dataset() override { return m_qryMPBANK; }
    bool saveOnClose() override;

private:
    // Runs the month query for the spin edits' period: true with rows, false
    // without, nullopt when the statement failed (the engine's message is shown).
    std::optional<bool> runMonthQuery();
    // Appends one zero row per account of the account list, SERIAL 1..n.
    void createMonthRows();
    void focusYear();
    // A year or month of 0 (or empty): the warning, the focus to the year, true.
    bool refuseIncompletePeriod(const QString &message);

    CachedDataset *m_qryMPBANK = nullptr;
    RecordGrid *m_grid = nullptr;
    QLabel *m_labDEL = nullptr;
    QProgressBar *m_gdeDEL = nullptr;
};
