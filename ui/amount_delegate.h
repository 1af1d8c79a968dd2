#pragma once

#include <QStyledItemDelegate>

// The editor of an amount cell: a line edit that accepts only a number
// (AmountValidator) and writes it back only when the user changed the text, so
// walking through the cells never rewrites (or rounds) a stored amount.
class AmountDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit AmountDelegate(QObject *parent = nullptr) : QStyledItemDelegate(parent) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
};
