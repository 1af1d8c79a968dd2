#pragma once

#include "db/record_editor.h"
#include "db/record_form.h"
#include "entry/code_columns.h"
#include "entry/data_tab_page.h"
#include "entry/row_tab_description.h"
#include "ui/shell.h"

#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

class CachedDataset;
class RowGrid;

// A data tab that keeps the rows of one declaration kind one at a time: the
// overdue ratios and the two bills statistics. What a tab is (its kind, columns,
// code columns, required fields, duplicate check, the tabs it disables) comes from
// its RowTabDescription; everything the three share is here.
//
//   Query    the kind's period query (year or month 0: unfiltered, and the
//            tab's own filter); rows read have their codes labelled.
//   Add      one new row at the end, in add mode, with the period of the spin
//            edits (today's when either is 0) and the declaring institution.
//   Modify   the current row into editing; the cursor cannot leave it.
//   Save     the cell's value written, the check of the column left, the
//            required values, the duplicate check, then the row written; in add
//            mode the next row opens at once with the same period, and a run of
//            rows ends with Discard, which drops only that last unsaved row.
//   Delete   the current row, written at once.
// While a row is in editing every move of the cursor to another row is refused
// and so is every post but Save's (the import, which appends rows, excepted),
// whatever another tab did to the shared mode: Save and the close write the row.
// Save and Delete are the RecordEditor's; the tab is its RecordForm.
class RowTab : public DataTabPage, private RecordForm
{
    Q_OBJECT
public:
    RowTab(Shell &shell, RowTabDescription description, QWidget *parent = nullptr);

    const RowTabDescription &description() const { return m_description; }
    RowGrid *grid() const { return m_grid; }

    // The toolbar's buttons (public so the main window and tests can run them).
    void query();
    void add();
    void modify();
    // False when nothing was written (refused, said why).
    bool save();
    void discard();
    void deleteRow();
    void clear();
    // After the import dialog stored the rows it read into the dataset: the
    // grid shows them as they are; the buttons to move and edit are enabled.
    void afterImport();

    // DataTab
    CachedDataset *dataset() override { return m_dataset; }
    // A row in editing is saved as Save saves it (without the next row); a new
    // row nothing was keyed into is dropped. False keeps the window open.
    bool saveOnClose() override;

protected:
    // A condition of the tab's own after the period's, with its parameters.
    struct Filter
    {
        QString sql;
        QVariantMap params;
    };
    virtual Filter ownFilter() const { return {}; }
    // Clear empties the tab's own selection as well.
    virtual void clearOwn() {}
    // The tab's own controls as the mode stands, after each button-state refresh.
    virtual void ownButtonStates(bool browse) { Q_UNUSED(browse); }
    // The tab's own selection changed: the rows are closed, as after Clear.
    void closeRows();

private:
    void buildDataset();
    void buildGrid();
    void bindToolbar();
    QStringList fields() const;
    bool rowInEditing() const;
    // Add or Modify as the tab's own row stands (Browse when none is in
    // editing), whatever the mode shared with the other tabs says.
    EditMode rowMode() const;

    // The button-state refresh of the row tabs, after the toolbar's shared part.
    void showButtonStates();
    void navigationRule();
    void setRowButtons(bool enabled);

    bool save(bool closing);
    // The check as the cursor leaves `column`: the column to go back to, or -1.
    int columnExit(int column);
    bool nothingKeyed() const;
    void labelRows();

    // Runs `cancel` (which takes the row in editing back) with posts refused.
    bool cancelling(const std::function<bool()> &cancel);
    // Guards of the dataset.
    bool mayScroll() const;
    bool mayPost();
    // Whether another stored row has the row's values (the description's
    // duplicate statement); nullopt and *error when the statement failed.
    std::optional<bool> isDuplicate(QString *error) const;

    // RecordForm
    Mode mode() const override;
    void setMode(Mode mode) override;
    bool settleEditor() override;
    bool hasRequiredValues() const override;
    void refused(Refusal why) override;
    void written() override;
    // In add mode the next row opens at once with the same period.
    bool openNextRow() override;
    void showBrowse() override;
    void say(Tone tone, const QString &text) override;
    bool confirm(const QString &question) override;

    const RowTabDescription m_description;
    CodeColumns m_codes;
    CachedDataset *m_dataset = nullptr;
    RowGrid *m_grid = nullptr;
    std::unique_ptr<RecordEditor> m_editor;
    int m_editColumn = 0;   // where Add and the next row put the cursor: the first code
    bool m_labelling = false;
    bool m_cancelling = false;
};
