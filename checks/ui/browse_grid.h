#pragma once

#include <QList>
#include <QTableView>

class CachedDataset;

// A read-only grid of a browse window: whole-row selection, no editing, its
// current row and the dataset's cursor kept together (a click moves the dataset,
// a move of the dataset moves the selection).
class BrowseGrid : public QTableView
{
    Q_OBJECT
public:
    BrowseGrid(const QString &objectName, CachedDataset *dataset, QWidget *parent = nullptr);

    CachedDataset *dataset() const { return m_dataset; }
    // Pixel widths of the first columns, in order.
    void setColumnWidths(const QList<int> &widths);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void follow(int row);

    CachedDataset *m_dataset;
    bool m_following = false;
};
