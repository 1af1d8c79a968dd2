#include "entry/row_grid.h"

#include "db/cached_dataset.h"

#include <QKeyEvent>

void RowGrid::placeCursor(int column)
{
    const bool placing = m_placing;
    m_placing = true;
    focusColumn(column);
    m_placing = placing;
}

void RowGrid::moveToColumn(int column)
{
    if (dataset() && dataset()->currentRow() >= 0)
        moveCursorTo(dataset()->currentRow(), column);
}

bool RowGrid::rowInEditing() const
{
    const CachedDataset *rows = dataset();
    return rows && rows->isEditing();
}

bool RowGrid::handleKey(QKeyEvent *key, QWidget *editor)
{
    if (!model() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    if (key->key() == Qt::Key_Insert)
        return true;   // the grid never inserts a row
    const QModelIndex current = currentIndex();
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (!current.isValid() || !(enter || tab))
        return RecordGrid::handleKey(key, editor);

    if (editor && commitEditorWidget(editor, current) != Commit::Written)
        return true;   // not a value yet, or refused: the cursor stays in the cell
    const int last = model()->columnCount() - 1;
    if (current.column() < last)
        moveCursorTo(current.row(), current.column() + 1);
    else if (!(enter && m_lastColumnEnter && m_lastColumnEnter()))
        moveCursorTo(current.row(), 0);
    return true;
}

void RowGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    RecordGrid::currentChanged(current, previous);
    // Only a move along the row in editing; a refused cell is said already and
    // the cursor is going back to it.
    if (m_placing || !m_columnExit || !previous.isValid() || !current.isValid()
        || previous.row() != current.row() || previous.column() == current.column() || !rowInEditing()
        || isReturningToRefusedCell())
        return;
    const int back = m_columnExit(previous.column());
    if (back >= 0)
        placeCursor(back);
}
