#pragma once

#include "common/period.h"
#include "db/declaration_kind.h"
#include "entry/data_tab.h"
#include "entry/record_toolbar.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

class CachedDataset;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class PeriodSpinEdit;
class RecordGrid;
class Shell;

// The page of one data tab of the main window: the header row ("金融機構:" and
// the institution name labBANKNAME<n>, the year and month spin edits
// seYYY<suffix>/seMM<suffix>), the grid area and the record editing toolbar
// named with the tab's suffix.
//
// The five data tabs derive from it. Built as it is, it is the page of a tab
// whose data are not there yet: header and period, an empty grid area and a
// toolbar whose buttons stay disabled.
class DataTabPage : public QWidget, public DataTab
{
    Q_OBJECT
public:
    DataTabPage(Shell &shell, DeclarationKind::Id kind, QWidget *parent = nullptr);

    // The declaration kind of the tab (its table, dataset name, control suffix).
    const DeclarationKind &kind() const { return m_kind; }

    RecordToolbar *toolbar() const { return m_toolbar; }
    PeriodSpinEdit *yearEdit() const { return m_year; }
    PeriodSpinEdit *monthEdit() const { return m_month; }
    QLabel *bankNameLabel() const { return m_bankName; }
    // The period of the spin edits (an empty one counts as 0).
    Period period() const;

    // The check (sbCheck, sbCheck3) and import (sbENTERY ... sbEntery3) features
    // come from elsewhere: each button runs its hook and stays disabled while
    // none is installed. The import button sets the tab's import kind first (and,
    // on tabs 2 to 5, the import-in-progress flag while the hook runs).
    void setCheckHook(std::function<void()> hook);
    void setImportHook(std::function<void()> hook);
    // The history of the grid's current row (ChangeHistoryWindow); the grid's
    // context menu and Ctrl+H open it.
    void showRowHistory();

    // DataTab
    CachedDataset *dataset() override { return nullptr; }
    void setPeriod(int year, int month) override;
    void startState() override;
    void setBankName(const QString &name) override;
    bool saveOnClose() override { return true; }

protected:
    Shell &shell() const { return m_shell; }
    // The toolbar's binding to this page (the shell and the period spin edits)
    // and to the tab's dataset and grid; the tab sets the rest.
    RecordToolbar::Binding toolbarBinding(CachedDataset *dataset, RecordGrid *grid) const;
    // What the tab's dataset shows of one of its columns.
    struct ColumnFormat
    {
        QString field;
        QString title;
        QString displayPicture;   // number pictures (NumberPicture); both empty for none
        QString editPicture;
    };
    // The tab's dataset (a child of the page, named as its kind's), reading the
    // kind's table with its period query: the `columns` in order with their
    // titles and pictures, every one read-only until editing starts.
    CachedDataset *makeDataset(const QList<ColumnFormat> &columns);
    // The same from the columns of a tab's description, which name these members alike.
    template <typename Column>
    CachedDataset *makeDataset(const QList<Column> &columns)
    {
        QList<ColumnFormat> formats;
        formats.reserve(columns.size());
        for (const Column &column : columns)
            formats.append({column.field, column.title, column.displayPicture, column.editPicture});
        return makeDataset(formats);
    }
    // Puts the tab's grid into the grid area.
    void setGrid(QWidget *grid);
    // The header row, for controls of a tab beside the period (cbxBank, the
    // delete progress).
    QHBoxLayout *headerLayout() const { return m_header; }

private:
    Shell &m_shell;
    const DeclarationKind &m_kind;
    QHBoxLayout *m_header = nullptr;
    QVBoxLayout *m_gridArea = nullptr;
    QWidget *m_grid = nullptr;
    QLabel *m_bankName = nullptr;
    PeriodSpinEdit *m_year = nullptr;
    PeriodSpinEdit *m_month = nullptr;
    RecordToolbar *m_toolbar = nullptr;
};
