#pragma once

#include "ui/cell_delegate.h"

#include <functional>

// The editor of an amount cell: a line edit that accepts only a number
// (AmountValidator) and writes it back only when the user changed the text, so
// walking through the cells never rewrites (or rounds) a stored amount.
//
// A typed amount is refused, with the column named, when it has more
// significant digits than a floating-point field keeps, when it is too large to
// be a number at all, or when the limit set for the column refuses it (what the
// declaration file can hold); the stored value then stays.
class AmountDelegate : public CellDelegate
{
    Q_OBJECT
public:
    // The reason to refuse `text` typed into `index`, or empty to accept it.
    using Limit = std::function<QString(const QModelIndex &index, const QString &text)>;

    explicit AmountDelegate(QObject *parent = nullptr) : CellDelegate(parent) {}

    void setLimit(Limit limit) { m_limit = std::move(limit); }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    QString commit(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    Limit m_limit;
};
