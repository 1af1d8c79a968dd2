#include "checks/ui/read_only_grid.h"

#include <QHeaderView>
#include <QTableView>

namespace ReadOnlyGrid {

void setUp(QTableView *grid, const QString &objectName, QAbstractItemModel *model)
{
    grid->setObjectName(objectName);
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setWordWrap(false);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
}

} // namespace ReadOnlyGrid
