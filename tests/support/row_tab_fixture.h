#pragma once

#include "entry/record_toolbar.h"
#include "entry/row_grid.h"
#include "entry/row_tab.h"
#include "tests/support/fake_shell.h"
#include "tests/support/test_database.h"
#include "ui/messages.h"

#include <QStringList>
#include <QVariantMap>
#include <memory>

class QAbstractButton;

// A row tab on a database of its own, driven as a user does: the declaring
// institution 995 (測試銀行) with the units 9950001 台北分行, 9950002 台中分行
// and 9950003 高雄分行, another institution 9990000 with its unit 9990001, the
// period 115/1, messages recorded and answered by script, the tab shown.
//
//     RowTabFixture f;
//     QVERIFY(f.setUp(DeclarationKind::B02));
//     QVERIFY(f.click(RecordToolbar::Add));
//     QVERIFY(f.type("9950001"));   // into the cell the cursor is in, then Tab
struct RowTabFixture
{
    static inline const QString OtherBank = QStringLiteral("9990000");

    TestDatabase db{TestDatabase::Content::Empty};
    ScriptedMessages messages;
    FakeShell shell;
    std::unique_ptr<RowTab> tab;

    bool setUp(DeclarationKind::Id kind);
    // A stored row of the tab's table (M_YEAR 115, M_MONTH 1 and BANK_CODE 995 unless given).
    bool store(const QVariantMap &values);
    int stored(const QString &where = {}) { return db.count(tab->kind().table(), where); }

    CachedDataset &ds() { return *tab->dataset(); }
    RowGrid *grid() { return tab->grid(); }
    QAbstractButton *button(RecordToolbar::Button which) { return tab->toolbar()->button(which); }
    // Clicks an enabled button; false when it is disabled.
    bool click(RecordToolbar::Button which);
    // A cell as the grid draws it (through the column's delegate).
    QString shown(int row, int column);
    int column() { return grid()->currentIndex().column(); }
    // Types into the open editor of the current cell and finishes with `key`
    // (Qt::Key_unknown: leaves it open); false when no editor is open.
    bool type(const QString &text, Qt::Key key = Qt::Key_Tab) { return typeInto(grid(), text, key); }
    static bool typeInto(RecordGrid *grid, const QString &text, Qt::Key key);
    // Cells typed one after the other, each finished with Tab (with Enter when it
    // ends in "\n"), the last one left being typed.
    bool typeRow(const QStringList &cells) { return typeRowInto(grid(), cells); }
    static bool typeRowInto(RecordGrid *grid, const QStringList &cells);
    // Clicks a cell of the current row, as a user leaves a column with the mouse.
    void clickColumn(int column);
    // What the messages said, each as "<kind>:<text>" (warning, information,
    // error, question, confirm for an information-kind question), the caption
    // after the kind when it is not "Velqora": "warning(Velqora<VELQ8>):...".
    QStringList said() const;
};
