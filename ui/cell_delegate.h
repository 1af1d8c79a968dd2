#pragma once

#include <QStyledItemDelegate>

#include <optional>

// The delegate of every cell of a record grid. It writes the editor's value to
// the model like QStyledItemDelegate, but says why when the model refuses it
// (a text too wide in Big5 bytes, a number that is not one), so the grid can
// show the refusal and keep the cell in editing instead of dropping the typed
// value without a word. The amount and pick-list delegates derive from it.
class CellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Writes the editor's value to `index`. Empty when written or when there was
    // nothing to write; otherwise the refusal to show, 「<column title>」<reason>.
    virtual QString commit(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const;
    // Views other than RecordGrid write through commit() as well.
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

    // The text typed into an editor, and the same text put back into a fresh
    // editor (after a refusal the grid reopens the cell with what was typed).
    virtual QString editorText(const QWidget *editor) const;
    virtual void restoreText(QWidget *editor, const QString &text) const;

    // 「<title of the index's column>」<why>.
    static QString refusal(const QModelIndex &index, const QString &why);
    // Why `model` refused the last setData on `index` of the `typed` text: the
    // dataset's own message (which names the column) with the text in it
    // shortened, or the column and a general reason.
    static QString refusalOf(const QAbstractItemModel *model, const QModelIndex &index, const QString &typed);
    // A typed text shortened for a message box: 320 typed digits would make a box
    // wider than the screen.
    static QString shortened(const QString &typed);

    // The column's cells drawn with this alignment instead of the model's (a grid
    // that centres its unit names).
    void setDisplayAlignment(Qt::Alignment alignment) { m_alignment = alignment; }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    std::optional<Qt::Alignment> m_alignment;
};
