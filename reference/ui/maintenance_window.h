#pragma once

#include "db/record_editor.h"
#include "db/record_form.h"
#include "reference/ui/dataset_loan.h"
#include "reference/ui/edit_state.h"
#include "reference/reference_usage.h"

#include <QDialog>
#include <memory>

class CachedDataset;
class MaintenanceGrid;
class NavigationButtons;
class QPushButton;
class StatusPanels;

// The window that maintains the codes and names of one reference table
// (TfmVELQBN01 for the institutions of BN01, TfmCD01 for the counties of CD01):
// one grid of code and name, the buttons "首筆", "末筆", "前筆", "後筆", "新增",
// "修改", "刪除", "離開", "存檔", "放棄", and the status bar StatusBar1.
//
// Browse, modify (the name only) and add, kept in an EditState:
//  - "新增" appends a row and opens its code; each successful "存檔" stores the row
//    and appends the next one at once, until "放棄";
//  - "修改" opens the name of the current row; "存檔" stores it ("存檔成功!!!");
//  - "存檔" refuses an empty code ("輸入資料格式有誤,無法存檔,請查明!!!"), a code
//    already in the table ("資料重覆!!!") and a name that does not fit its field
//    in Big5 bytes, before anything is written;
//  - "刪除" asks "確定要刪除嗎 ???" and deletes the row at once ("刪除成功!!!"),
//    but refuses a code that declaration rows still refer to, naming them;
//  - the grid does not leave the row being edited; closing the window while
//    editing asks "是否確定放棄!!!" and, on Yes, discards and returns to browse.
//
// FreshState, FreshNavigator, FreshArrow and DisableArrow are the button-state
// rules of the window, named as the system names them. Save and delete are the
// RecordEditor's; the window is its RecordForm.
class MaintenanceWindow : public QDialog, private RecordForm
{
    Q_OBJECT
public:
    static constexpr int CodeColumn = 0;
    static constexpr int NameColumn = 1;

    struct Spec
    {
        QString className;     // "TfmVELQBN01"
        QString caption;       // "金融機構基本資料維護"
        QString gridName;      // "dbgeBN01"
        QString table;         // "BN01"
        QString codeField;     // "BANK_NO"
        QString nameField;     // "BANK_NAME"
        QString codeTitle;
        QString nameTitle;
        int codeWidth = 100;
        int nameWidth = 260;
        ReferenceUsage::Kind usage = ReferenceUsage::Kind::Institution;
        // Where the counties window differs from the institutions window:
        bool emptyTableDisablesEdit = true;   // opening an empty table disables 修改 and 刪除
        bool focusNameOnEmptyCode = true;     // an empty code on saving focuses the name column
        bool focusCodeOfNextRow = true;       // the next row of an add run opens its code
        bool refreshAfterDelete = true;       // FreshState after a confirmed delete
    };

    MaintenanceWindow(const Spec &spec, CachedDataset &dataset, EditState editState,
                      QWidget *parent = nullptr);
    ~MaintenanceWindow() override;

    CachedDataset &dataset() const { return m_dataset; }
    MaintenanceGrid *grid() const { return m_grid; }
    EditMode state() const { return m_state.get(); }
    QString statusText() const;

    void sbAddClick();
    void sbEditClick();
    void sbDelClick();
    void sbPostClick();
    void sbCancelClick();
    void sbExitClick();

    void FreshState();
    void FreshNavigator();
    void FreshArrow();
    void DisableArrow();

protected:
    // The title bar's close box and Escape come here.
    void reject() override;
    // Runs when "離開" closes the window.
    virtual void beforeExit() {}

private:
    QPushButton *makeButton(const char *name, const QString &caption, const QString &hint,
                            void (MaintenanceWindow::*click)());
    void open();
    void freshGridState();
    void setState(EditMode mode) { m_state.set(mode); }
    QString currentCode() const;
    bool gridKey(int key, int column);
    bool commitCell();
    void cellRefused(const QString &reason);
    void discardChanges();

    // RecordForm
    Mode mode() const override;
    void setMode(Mode mode) override;
    bool settleEditor() override { return commitCell(); }
    bool hasRequiredValues() const override { return !currentCode().isEmpty(); }
    void refused(Refusal why) override;
    bool openNextRow() override;
    void showBrowse() override { FreshState(); }
    void say(Tone tone, const QString &text) override;
    bool confirm(const QString &question) override;

    Spec m_spec;
    CachedDataset &m_dataset;
    EditState m_state;
    DatasetLoan m_loan;
    std::unique_ptr<RecordEditor> m_editor;
    MaintenanceGrid *m_grid = nullptr;
    NavigationButtons *m_navigation = nullptr;
    QPushButton *m_sbAdd = nullptr;
    QPushButton *m_sbEdit = nullptr;
    QPushButton *m_sbDel = nullptr;
    QPushButton *m_sbExit = nullptr;
    QPushButton *m_sbPost = nullptr;
    QPushButton *m_sbCancel = nullptr;
    StatusPanels *m_status = nullptr;
    bool m_committing = false;   // a cell is being written on the window's behalf
    QString m_refusal;           // why the last cell written was refused
};
