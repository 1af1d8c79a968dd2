#pragma once

#include "ui/record_grid.h"

#include <functional>

// The grid of a maintenance window: a RecordGrid whose Tab and Enter keys the
// window decides (code column to name column, Enter saving a new row, ...), and
// which refuses silently to stand on another row while the window holds a row
// in editing.
class MaintenanceGrid : public RecordGrid
{
    Q_OBJECT
public:
    // Tab (without Shift), Return or Enter (Qt::Key_...) pressed in `column`; true when the
    // window took the key.
    using KeyHandler = std::function<bool(int key, int column)>;

    using RecordGrid::RecordGrid;

    void setKeyHandler(KeyHandler handler) { m_keys = std::move(handler); }
    void setRowLock(std::function<bool()> locked) { m_locked = std::move(locked); }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    bool takeKey(QEvent *event);

    KeyHandler m_keys;
    std::function<bool()> m_locked;
};
