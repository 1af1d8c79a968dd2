#include "reference/ui/maintenance_grid.h"

#include "db/cached_dataset.h"

#include <QKeyEvent>
#include <QPointer>

bool MaintenanceGrid::takeKey(QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !m_keys || !currentIndex().isValid())
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))
        return false;
    if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    return m_keys(key->key(), currentIndex().column());
}

bool MaintenanceGrid::event(QEvent *event)
{
    // Before RecordGrid's own Tab and Enter (and before Tab becomes a focus change).
    return takeKey(event) || RecordGrid::event(event);
}

bool MaintenanceGrid::eventFilter(QObject *watched, QEvent *event)
{
    // The keys of an open cell editor come here first (RecordGrid filters them).
    if (watched == openEditor() && takeKey(event))
        return true;
    return RecordGrid::eventFilter(watched, event);
}

void MaintenanceGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    const int row = dataset() ? dataset()->currentRow() : -1;
    if (!m_locked || !m_locked() || !current.isValid() || current.row() == row) {
        RecordGrid::currentChanged(current, previous);
        return;
    }
    // Another row while one is in editing: the dataset never moves and no cell is
    // written; the view goes back to the dataset's row once the event is over
    // (the row as it is then: a discarded row may have gone meanwhile).
    viewport()->update();
    QPointer<MaintenanceGrid> self(this);
    QMetaObject::invokeMethod(this, [self] {
        if (!self || !self->dataset() || !self->model())
            return;
        const int back = self->dataset()->currentRow();
        const QModelIndex now = self->currentIndex();
        if (back >= 0 && back < self->model()->rowCount() && now.row() != back)
            self->setCurrentIndex(self->model()->index(back, now.isValid() ? now.column() : 0));
    }, Qt::QueuedConnection);
}
