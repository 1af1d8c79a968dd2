#pragma once

#include <QStyledItemDelegate>
#include <functional>

// The editor of a text cell of a maintenance grid. It writes through the
// dataset's setData, which refuses a text too wide for its field in Big5 bytes or
// with a character Big5 lacks; a refusal is reported (with the dataset's words,
// 「<title>」<reason>) instead of being dropped without a word.
class CheckedTextDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using Refused = std::function<void(const QString &reason)>;

    CheckedTextDelegate(Refused refused, QObject *parent = nullptr)
        : QStyledItemDelegate(parent), m_refused(std::move(refused)) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    Refused m_refused;
};
