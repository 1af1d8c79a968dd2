#pragma once

#include "ui/record_grid.h"

#include <functional>

// The grid of a row tab (DBGEMPBANK4, dbgeMPBANK9, dbgeMPBANK2): a record grid
// with the keys of the row tabs and a check each time the cursor leaves a column
// of the row in editing.
//
// Keys: Tab (with or without Shift) or Enter moves to the next column of the same
// row; in the last column Enter saves when the tab says so (add mode) and any
// other Tab or Enter goes back to the first column. Insert never inserts a row.
// Down and Up are the record grid's.
//
// Column exit: when the cursor moves from one column to another of the row being
// edited or inserted (a key, a click, Save's move to the first column), the check
// runs for the column left, after the cell's value was written; a check that
// refuses names the column the cursor goes back to. The tab's own placing of the
// cursor (Add, the next row, a refusal) runs no check.
class RowGrid : public RecordGrid
{
    Q_OBJECT
public:
    explicit RowGrid(const QString &objectName, QWidget *parent = nullptr) : RecordGrid(objectName, parent) {}

    // Returns the column the cursor goes back to, or -1 when the value stays.
    void setColumnExit(std::function<int(int column)> check) { m_columnExit = std::move(check); }
    // Enter in the last column: true when it saved; otherwise the cursor goes to
    // the first column.
    void setLastColumnEnter(std::function<bool()> enter) { m_lastColumnEnter = std::move(enter); }

    // The cursor to a column of the current row, without a check of the column left.
    void placeCursor(int column);
    // The cursor to a column of the current row as a user moves it: the column
    // left is checked.
    void moveToColumn(int column);

protected:
    bool handleKey(QKeyEvent *key, QWidget *editor) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    bool rowInEditing() const;

    std::function<int(int)> m_columnExit;
    std::function<bool()> m_lastColumnEnter;
    bool m_placing = false;
};
