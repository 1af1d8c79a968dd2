#pragma once

#include "checks/check_result_row.h"

#include <QAbstractTableModel>
#include <QList>

// The result rows of a check as a read-only table: REMARK, MONEY1, MONEY2 with
// the titles of the result grid; the amounts shown with the picture ",#.###"
// (empty for a missing account).
class CheckResultModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Remark = 0, Money1 = 1, Money2 = 2, ColumnCount = 3 };

    explicit CheckResultModel(QList<CheckResultRow> rows, QObject *parent = nullptr);

    const QList<CheckResultRow> &rows() const { return m_rows; }
    static QString fieldName(int column);    // "REMARK", "MONEY1", "MONEY2"
    static QString columnTitle(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QList<CheckResultRow> m_rows;
};
