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
    // Writes the text of an open cell editor to the dataset and closes the editor.
    // False when the editor holds text it cannot accept (the value stays).
    bool commitEditor();
    // Closes an open cell editor without writing it.
    void revertEditor();
    QWidget *openEditor() const;

protected:
    bool event(QEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    bool handleKey(QKeyEvent *key, QWidget *editor);
    bool commitEditorWidget(QWidget *editor);
    void moveCursorTo(int row, int column);
    void followDataset(int row);

    CachedDataset *m_dataset = nullptr;
    bool m_editing = false;
    bool m_following = false;
    int m_advanceColumns = 3;
};
