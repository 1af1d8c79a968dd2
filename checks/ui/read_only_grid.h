#pragma once

class QAbstractItemModel;
class QString;
class QTableView;

// The result window's grids: read-only, a whole row selected at a time, one
// line per row, titles on the left.
namespace ReadOnlyGrid {

void setUp(QTableView *grid, const QString &objectName, QAbstractItemModel *model);

} // namespace ReadOnlyGrid
