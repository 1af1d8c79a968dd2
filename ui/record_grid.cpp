#include "ui/record_grid.h"

#include "db/cached_dataset.h"
#include "ui/cell_delegate.h"
#include "ui/messages.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

#include <algorithm>

RecordGrid::RecordGrid(const QString &objectName, QWidget *parent)
    : QTableView(parent)
{
    setObjectName(objectName);
    setTabKeyNavigation(true);
    setItemDelegate(new CellDelegate(this));
    setEditing(false);
}

void RecordGrid::setDataset(CachedDataset *dataset)
{
    if (m_dataset)
        disconnect(m_dataset, nullptr, this, nullptr);
    m_dataset = dataset;
    setModel(dataset);
    if (!dataset)
        return;
    connect(dataset, &CachedDataset::currentRowChanged, this, &RecordGrid::followDataset);
    connect(dataset, &QAbstractItemModel::modelReset, this,
            [this] { followDataset(m_dataset->currentRow()); });
}

void RecordGrid::setEditing(bool on)
{
    m_editing = on;
    if (!on)
        revertEditor();
    setSelectionBehavior(on ? QAbstractItemView::SelectItems : QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(on ? QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked
                             | QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed
                       : QAbstractItemView::NoEditTriggers);
    if (selectionModel() && currentIndex().isValid()) {
        selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect
                                                     | (on ? QItemSelectionModel::NoUpdate
                                                           : QItemSelectionModel::Rows));
    }
}

QWidget *RecordGrid::openEditor() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? indexWidget(current) : nullptr;
}

void RecordGrid::focusColumn(int column)
{
    setFocus(Qt::OtherFocusReason);
    if (!model() || !m_dataset || m_dataset->currentRow() < 0 || column >= model()->columnCount())
        return;
    moveCursorTo(m_dataset->currentRow(), column);
}

RecordGrid::Commit RecordGrid::commitEditor()
{
    QWidget *editor = openEditor();
    return editor ? commitEditorWidget(editor, currentIndex()) : Commit::Written;
}

bool RecordGrid::settleEditor()
{
    switch (commitEditor()) {
    case Commit::Refused:
        return false;
    case Commit::Unfinished:
        revertEditor();
        return true;
    case Commit::Written:
        return true;
    }
    return true;
}

void RecordGrid::revertEditor()
{
    if (QWidget *editor = openEditor())
        closeEditor(editor, QAbstractItemDelegate::NoHint);
}

RecordGrid::Commit RecordGrid::commitEditorWidget(QWidget *editor, const QModelIndex &index)
{
    if (auto *line = qobject_cast<QLineEdit *>(editor); line && !line->hasAcceptableInput())
        return Commit::Unfinished;
    if (const QString refusal = writeEditor(editor, index); !refusal.isEmpty()) {
        warn(refusal);
        return Commit::Refused;
    }
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    return Commit::Written;
}

QString RecordGrid::writeEditor(QWidget *editor, const QModelIndex &index)
{
    auto *delegate = qobject_cast<CellDelegate *>(itemDelegateForIndex(index));
    if (!delegate) {
        QTableView::commitData(editor);   // a foreign delegate: it cannot say no
        return {};
    }
    return delegate->commit(editor, model(), index);
}

void RecordGrid::commitData(QWidget *editor)
{
    // While a refusal is shown nothing else is written; the index of the editor
    // is the cell it was opened on, which the view's cursor may have left.
    if (m_warning || !m_editorIndex.isValid() || indexWidget(m_editorIndex) != editor)
        return;
    const QModelIndex index = m_editorIndex;
    auto *delegate = qobject_cast<CellDelegate *>(itemDelegateForIndex(index));
    const QString typed = delegate ? delegate->editorText(editor) : QString();
    if (const QString refusal = writeEditor(editor, index); !refusal.isEmpty()) {
        warn(refusal);
        returnToCell(index, typed);   // the view closes this editor next
    }
}

void RecordGrid::warn(const QString &refusal)
{
    m_warning = true;
    Messages::current().warning(refusal, window());
    m_warning = false;
}

void RecordGrid::returnToCell(const QModelIndex &index, const QString &typed)
{
    // Until the cursor is back, a move the same click makes leaves the dataset
    // on the refused row.
    m_returnTo = index;
    QPointer<RecordGrid> self(this);
    QMetaObject::invokeMethod(this, [self, typed] {
        if (!self)
            return;
        const QPersistentModelIndex cell = self->m_returnTo;
        self->m_returnTo = QPersistentModelIndex();
        // Only while the month is still being edited on that row and the grid is
        // seen: a user who went to another page does not get the cursor pulled back.
        if (!cell.isValid() || !self->m_editing || !self->isVisible()
            || (self->m_dataset && self->m_dataset->currentRow() != cell.row()))
            return;
        self->moveCursorTo(cell.row(), cell.column());
        QWidget *editor = self->openEditor();
        auto *delegate = qobject_cast<CellDelegate *>(self->itemDelegateForIndex(cell));
        if (editor && delegate && self->currentIndex() == cell)
            delegate->restoreText(editor, typed);
    }, Qt::QueuedConnection);
}

void RecordGrid::moveCursorTo(int row, int column)
{
    const QModelIndex target = model()->index(row, column);
    if (!target.isValid())
        return;
    if (target == currentIndex()) {
        if (m_editing && (target.flags() & Qt::ItemIsEditable) && !openEditor() && isVisible())
            edit(target);
        return;
    }
    setCurrentIndex(target);
}

void RecordGrid::followDataset(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount())
        return;
    int column = currentIndex().isValid() ? currentIndex().column() : 0;
    if (column >= model()->columnCount())
        column = 0;
    const QModelIndex target = model()->index(row, column);
    if (target == currentIndex())
        return;
    // The dataset has moved on by itself: an editor still open belongs to a row it
    // left, and writing it now would pull the cursor back.
    if (QWidget *editor = openEditor())
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    m_following = true;
    setCurrentIndex(target);
    m_following = false;
}

void RecordGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (!m_following && m_dataset && current.isValid() && current.row() != m_dataset->currentRow()) {
        // The cell being left writes its editor before the dataset moves (the move
        // posts the row). A refused value keeps the dataset on its row; the
        // cursor comes back to the cell.
        QWidget *editor = previous.isValid() ? indexWidget(previous) : nullptr;
        bool stay = m_returnTo.isValid();   // refused as the focus left the editor
        if (editor) {
            auto *delegate = qobject_cast<CellDelegate *>(itemDelegateForIndex(previous));
            const QString typed = delegate ? delegate->editorText(editor) : QString();
            const bool refused = commitEditorWidget(editor, previous) == Commit::Refused;
            if (indexWidget(previous))
                closeEditor(indexWidget(previous), QAbstractItemDelegate::NoHint);
            if (refused)
                returnToCell(previous, typed);
            stay = stay || refused;
        }
        if (!stay && !m_dataset->moveTo(current.row())) {
            // A scroll guard refused: the view goes back to the dataset's row.
            QPointer<RecordGrid> self(this);
            QMetaObject::invokeMethod(this, [self] {
                if (self && self->m_dataset)
                    self->followDataset(self->m_dataset->currentRow());
            }, Qt::QueuedConnection);
        }
    }
    QTableView::currentChanged(current, previous);
}

bool RecordGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    const bool editing = QTableView::edit(index, trigger, event);
    if (editing) {
        m_editorIndex = index;
        if (QWidget *editor = indexWidget(index)) {
            editor->removeEventFilter(this);
            editor->installEventFilter(this);   // runs before the delegate's own filter
        }
    }
    return editing;
}

bool RecordGrid::eventFilter(QObject *watched, QEvent *event)
{
    // A message box or another window took the focus: the delegate would write
    // the half-typed value (and close the editor) now, before the question is
    // even answered. The editor keeps its text instead.
    if (event->type() == QEvent::FocusOut && watched == openEditor()
        && static_cast<QFocusEvent *>(event)->reason() == Qt::ActiveWindowFocusReason)
        return true;
    if (event->type() == QEvent::KeyPress) {
        auto *editor = qobject_cast<QWidget *>(watched);
        if (editor && editor == openEditor() && handleKey(static_cast<QKeyEvent *>(event), editor))
            return true;
    }
    return QTableView::eventFilter(watched, event);
}

bool RecordGrid::event(QEvent *event)
{
    // Tab is taken here, before QWidget::event turns it into a focus change.
    if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent *>(event), nullptr))
        return true;
    return QTableView::event(event);
}

bool RecordGrid::handleKey(QKeyEvent *key, QWidget *editor)
{
    if (!model() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return key->key() == Qt::Key_Insert;

    switch (key->key()) {
    case Qt::Key_Tab:
        if (key->modifiers() & Qt::ShiftModifier)
            return false;
        [[fallthrough]];
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        if (editor && commitEditorWidget(editor, current) != Commit::Written)
            return true;   // not a value yet, or refused: the cursor stays in the cell
        if (current.column() < m_advanceColumns && current.column() + 1 < model()->columnCount())
            moveCursorTo(current.row(), current.column() + 1);
        else if (current.column() >= m_advanceColumns && current.row() + 1 < model()->rowCount())
            moveCursorTo(current.row() + 1, current.column());
        else
            moveCursorTo(current.row(), current.column());
        return true;
    }
    case Qt::Key_Down: {
        const int last = model()->rowCount() - 1;
        if (current.row() < last) {
            if (!editor)
                return false;   // the view's own step
            if (commitEditorWidget(editor, current) == Commit::Written)
                moveCursorTo(current.row() + 1, current.column());
            return true;
        }
        // The last row: the grid never appends a row.
        if (editor && commitEditorWidget(editor, current) != Commit::Written)
            return true;
        const bool browse = !m_dataset || m_dataset->state() == CachedDataset::State::Browse;
        if (browse && last >= 1)
            moveCursorTo(last - 1, current.column());
        else
            moveCursorTo(current.row(), current.column());
        return true;
    }
    case Qt::Key_Up:
        if (!editor)
            return false;
        if (commitEditorWidget(editor, current) == Commit::Written)
            moveCursorTo(std::max(0, current.row() - 1), current.column());
        return true;
    case Qt::Key_Insert:
        return true;   // the grid never inserts a row
    default:
        return false;
    }
}
