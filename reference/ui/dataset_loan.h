#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

class CachedDataset;

// A dataset lent to a window for as long as the window lives. The counties
// window shows and edits the main window's qryCD01, which the county tab and the
// county check use as well: the columns, titles and read-only columns the window
// sets, and its post guard, are those of the dataset again when the window goes.
class DatasetLoan
{
public:
    explicit DatasetLoan(CachedDataset &dataset);
    ~DatasetLoan();
    DatasetLoan(const DatasetLoan &) = delete;
    DatasetLoan &operator=(const DatasetLoan &) = delete;

    // Shows exactly these fields, with these titles (one per field).
    void show(const QStringList &fields, const QStringList &titles);
    void setPostGuard(std::function<bool()> guard);

private:
    CachedDataset &m_dataset;
    QStringList m_columns;
    bool m_allColumns = true;
    QList<QPair<QString, QString>> m_titles;     // field, title before
    QList<QPair<QString, bool>> m_readOnly;      // field, read-only before
    std::function<bool()> m_beforePost;
};
