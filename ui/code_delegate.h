#pragma once

#include "ui/cell_delegate.h"

#include <QHash>
#include <QList>
#include <QString>

// The pick list of a code column: an editable drop-down offering the items of a
// code list in their order, each written as the code and its name
// ("09-金融債券", "9950001  台北分行"). The user picks an item or types a bare
// code ("09"); the delegate writes the code, or the item's text when so made,
// to the model. A text that is neither an item nor a code is refused with the
// column's own message (or 「<column title>」無此代號: <text>), and the cell
// stays in editing. Walking through a cell without changing it writes nothing.
//
// The list can be rebuilt and emptied while the tab works (a tab fills it when
// editing starts and empties it on Discard); an empty list takes nothing.
//
// Made to write the text (Writes::Text), it writes what was picked or typed as
// it stands and refuses nothing: the row tabs judge the cell when the cursor
// leaves its column (the first characters of the text are the code).
class CodeDelegate : public CellDelegate
{
    Q_OBJECT
public:
    struct Item
    {
        QString code;   // "09"
        QString text;   // "09-金融債券": what the list shows
    };
    enum class Writes { Code, Item, Text };

    explicit CodeDelegate(Writes writes = Writes::Code, QObject *parent = nullptr);

    // Items "<code>-<name>", the shape of the fixed code lists.
    static QList<Item> dashed(const QList<std::pair<QString, QString>> &codesAndNames);

    void setItems(const QList<Item> &items);
    void clearItems() { setItems({}); }
    const QList<Item> &items() const { return m_items; }
    // The refusal of an unknown code, shown as it is ("無此票券別,請查明再行輸入!!!").
    void setUnknownMessage(const QString &message) { m_unknownMessage = message; }

    // The item a picked or typed text stands for: an item's text, or a code
    // alone (blanks around either are ignored); nullptr for anything else.
    const Item *resolve(const QString &text) const;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    QString commit(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    Writes m_writes;
    QList<Item> m_items;
    QHash<QString, int> m_byCode;   // trimmed code -> item
    QHash<QString, int> m_byText;   // trimmed item text -> item
    QString m_unknownMessage;
};
