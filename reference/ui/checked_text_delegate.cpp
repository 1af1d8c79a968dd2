#include "reference/ui/checked_text_delegate.h"

#include "db/cached_dataset.h"

#include <QLineEdit>

QWidget *CheckedTextDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                           const QModelIndex &) const
{
    auto *editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("textEditor"));
    editor->setFrame(false);
    return editor;
}

void CheckedTextDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                       const QModelIndex &index) const
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    if (line->text() == index.data(Qt::EditRole).toString())
        return;   // walking through a cell does not put its row into editing
    if (model->setData(index, line->text(), Qt::EditRole) || !m_refused)
        return;
    const auto *dataset = qobject_cast<const CachedDataset *>(model);
    m_refused(dataset ? dataset->lastError() : QString());
}
