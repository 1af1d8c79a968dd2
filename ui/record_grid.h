#pragma once

#include <QTableView>

class CachedDataset;

// The grid of a data tab (DBGEMPBANK, dbgeHMPBANK, ...): a table view over the
// tab's CachedDataset that keeps the view's current row and the dataset's cursor
// together and owns the keys every data grid shares:
//  - Tab or Enter in one of the first advanceColumns() columns moves to the next
//    column of the same row; from that column on it moves to the next row, same
//    column (on the last row it stays). The key is consumed either way; a cell
//    editor whose text is not acceptable keeps the cursor where it is.
//  - Down never appends a row. On the last row of a dataset in browse state the
//    cursor goes to the row before the last; with a row in editing it stays.
// In browse mode the grid selects whole rows without editing; in editing mode it
// selects cells and opens the editor of every editable cell it enters.
//
// Every cell is written through a CellDelegate. A value the delegate or the
// dataset refuses is shown as a warning naming the column (through Messages);
// the cell stays in editing with what was typed and the stored value stays. When
// the refusal comes from leaving the cell with the mouse, the cursor goes back
// to the cell and its editor opens again with the typed text.
//
// A message box or any other window taking the focus does not write the value
// being typed: the editor keeps its text until the grid writes it (a key, a
// toolbar button) or the user leaves the cell. So a question answered No (the
// discard question) leaves the cached row exactly as it was.
class RecordGrid : public QTableView
{
    Q_OBJECT
public:
    explicit RecordGrid(const QString &objectName, QWidget *parent = nullptr);
    using QTableView::edit;

    void setDataset(CachedDataset *dataset);
    CachedDataset *dataset() const { return m_dataset; }

    void setEditing(bool on);
    bool isEditing() const { return m_editing; }

    void setAdvanceColumns(int columns) { m_advanceColumns = columns; }
    int advanceColumns() const { return m_advanceColumns; }

    // The grid takes the focus on the dataset's current row in `column`, with the
    // cell editor open when the cell is editable.
    void focusColumn(int column);
    // What became of the text of an open cell editor.
    enum class Commit {
        Written,      // written (or nothing to write): the editor is closed
        Unfinished,   // not a value yet ("-"): the editor stays, nothing said
        Refused,      // refused with a warning: the editor stays with the text
    };
    // Writes the text of an open cell editor to the dataset and closes the editor.
    Commit commitEditor();
    // Before the cursor leaves the row or the rows are saved: writes the open
    // editor's value, drops one that is not a value yet; false when the value was
    // refused (the warning was shown and the editor stays).
    bool settleEditor();
    // Closes an open cell editor without writing it.
    void revertEditor();
    QWidget *openEditor() const;

protected slots:
    // Qt's own paths (the focus leaving the editor, the cursor leaving the cell)
    // write through the delegate's checked commit as well.
    void commitData(QWidget *editor) override;

protected:
    bool event(QEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

    // The grid's keys, pressed in the grid or in the open `editor` (nullptr when
    // none); true when the key was taken. A grid with keys of its own overrides it.
    virtual bool handleKey(QKeyEvent *key, QWidget *editor);
    Commit commitEditorWidget(QWidget *editor, const QModelIndex &index);
    void moveCursorTo(int row, int column);
    // A value was refused as the cursor left its cell: the cursor is on its way back.
    bool isReturningToRefusedCell() const { return m_returnTo.isValid(); }

private:
    // The delegate's refusal of the editor's text, empty when written.
    QString writeEditor(QWidget *editor, const QModelIndex &index);
    void warn(const QString &refusal);
    // After a refusal on a path that closed the editor: back to the cell, its
    // editor open again with the typed text.
    void returnToCell(const QModelIndex &index, const QString &typed);
    void followDataset(int row);

    CachedDataset *m_dataset = nullptr;
    bool m_editing = false;
    bool m_following = false;
    bool m_warning = false;             // a refusal is being shown
    QPersistentModelIndex m_editorIndex;  // the cell of the open editor
    QPersistentModelIndex m_returnTo;     // a refused cell the cursor goes back to
    int m_advanceColumns = 3;
};
