#pragma once

#include "common/period.h"
#include "db/declaration_kind.h"
#include "entry/record_toolbar.h"

#include <QList>
#include <QMap>
#include <QString>
#include <functional>

class CachedDataset;
class MonthTab;
class QAbstractItemDelegate;
class QObject;
class QWidget;
class Shell;

// What makes one month tab (a tab that creates, edits and deletes a whole month
// of one declaration kind) what it is. MonthTab does the rest: the month query,
// Add, Modify, Delete with its gauge, Save, the close and the import's end.
// The operating data tab is one such description; the county tab is another,
// using the options at the end where it departs from the first.
struct MonthTabDescription
{
    // One column of the grid, in order.
    struct Column
    {
        QString field = {};
        QString title = {};
        int width = 0;               // pixels; 0 leaves the view's default
        QString displayPicture = {}; // number pictures (NumberPicture); empty for none
        QString editPicture = {};
        bool editable = false;       // editable in modify and add mode, never in browse
        // The cell editor; empty for the grid's own. A column whose editor is an
        // AmountDelegate takes no amount the kind's declaration file cannot hold.
        std::function<QAbstractItemDelegate *(QObject *parent)> delegate = {};
    };

    // What the rows of a new month are built from.
    struct NewMonth
    {
        CachedDataset &dataset;      // open on the empty month: rows are appended to it
        Shell &shell;                // the reference lists and the declaring institution
        Period period;
        QWidget *window;             // parent of a message
    };

    // The states of a tab that sets its buttons itself, as the month stands.
    enum class State {
        Closed,        // no month read (start, Clear, a period change)
        Loaded,        // browse with rows
        Empty,         // browse, the month read and found empty
        Editing,       // modify or add mode
        AddDeclined,   // Add on an existing month answered No (closeWhenAddDeclined)
    };
    struct Buttons
    {
        QList<RecordToolbar::Button> enabled;
        QList<RecordToolbar::Button> disabled;   // a button in neither keeps its state
    };

    DeclarationKind::Id kind = DeclarationKind::B01;  // table, dataset name, suffix, period query
    QString gridName;                 // "DBGEMPBANK"
    QList<Column> columns;
    int advanceColumns = 0;           // Tab and Enter step right in the columns before this one
    QString deleteLabelName;          // "labDEL"
    QString deleteGaugeName;          // "gdeDEL"
    QString deleteQuestion;           // asked before a month is deleted
    // Appends the rows of a new month; false when a list it needs could not be
    // read (and was reported). Nothing is written until Save.
    std::function<bool(const NewMonth &)> newMonthRows;
    // The 檢核 button: the kind's formula check, which the main window provides.
    std::function<void(MonthTab &)> check;

    // Where a month tab departs from the operating data tab -------------------------
    // The tab's own button states in place of the shared button-state refresh
    // (empty: the shared one).
    QMap<State, Buttons> buttonStates;
    // While editing, the period spin edits are read-only instead of disabled.
    bool periodReadOnly = false;
    // Save reads the month again from the table before it says so.
    bool rereadAfterSave = false;
    // Add looks the period up among the rows of every institution, not only
    // among those the tab's query shows.
    bool periodOfAnyInstitution = false;
    // The order in which Add reads an existing month for modifying; empty: the
    // order of the tab's query.
    QString existingMonthOrder;
    // Add on an existing month answered No closes the month, and the buttons take
    // the AddDeclined state after the tab's own state for a closed month.
    bool closeWhenAddDeclined = false;
    // Modify and Delete take the rows the tab holds as they are, without reading
    // the month again; with no rows held they do nothing.
    bool workOnLoadedRows = false;
};
