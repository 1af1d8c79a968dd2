#include "checks/ui/browse_grid.h"

#include "db/cached_dataset.h"

#include <QHeaderView>

#include <algorithm>

BrowseGrid::BrowseGrid(const QString &objectName, CachedDataset *dataset, QWidget *parent)
    : QTableView(parent), m_dataset(dataset)
{
    setObjectName(objectName);
    setModel(dataset);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(dataset, &CachedDataset::currentRowChanged, this, &BrowseGrid::follow);
    connect(dataset, &QAbstractItemModel::modelReset, this, [this] { follow(m_dataset->currentRow()); });
    follow(dataset->currentRow());
}

void BrowseGrid::setColumnWidths(const QList<int> &widths)
{
    for (int i = 0; i < widths.size(); ++i)
        setColumnWidth(i, widths.at(i));
}

void BrowseGrid::follow(int row)
{
    if (row < 0 || row >= model()->rowCount() || row == currentIndex().row())
        return;
    m_following = true;
    setCurrentIndex(model()->index(row, std::max(0, currentIndex().column())));
    m_following = false;
}

void BrowseGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (!m_following && current.isValid() && current.row() != m_dataset->currentRow())
        m_dataset->moveTo(current.row());
}
