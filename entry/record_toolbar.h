#pragma once

#include "db/month_claim.h"

#include <QList>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <initializer_list>
#include <optional>

class CachedDataset;
class PeriodSpinEdit;
class QAbstractButton;
class RecordGrid;
class Shell;

// The record editing toolbar under the grid of every data tab: the fourteen
// buttons with their names, captions and hints, and the behaviour the tabs
// share (navigation, Query, Save, Discard, Clear, Exit, the button-state
// refresh, the start state, the period change rule), told once here and bound
// to one tab's dataset, grid and period spin edits with bind().
//
// A button runs the action set for it with setAction(); bind() installs the
// shared actions (navigation, Save, Discard, Clear, Exit) and the tab adds its
// own (Query, Add, Modify, Delete, Check, Import). A button without an action is
// never enabled, so a feature that is not there yet shows as a disabled button.
// The buttons take no keyboard focus, so an open cell editor stays open while a
// button is pressed.
class RecordToolbar : public QWidget
{
    Q_OBJECT
public:
    enum Button { First, Last, Prior, Next, Query, Add, Edit, Del, Post, Cancel, Exit, Clear, Check, Import };
    Q_ENUM(Button)
    static constexpr int ButtonCount = Import + 1;

    // How one tab names its buttons: the suffix goes after every name
    // ("sbPost4"); the delete and import buttons of some tabs are spelt otherwise
    // and carry no hint; only two tabs have a check button.
    struct Naming
    {
        QString suffix;
        QString deleteName = QStringLiteral("sbDel");
        bool deleteHint = true;
        QString importName = QStringLiteral("sbENTERY");
        bool importHint = true;
        bool hasCheck = true;
    };

    // What the shared behaviour works on.
    struct Binding
    {
        Shell *shell = nullptr;
        CachedDataset *dataset = nullptr;
        RecordGrid *grid = nullptr;
        PeriodSpinEdit *year = nullptr;
        PeriodSpinEdit *month = nullptr;
        QStringList editableFields;   // editable in modify and add mode, read-only in browse
        bool periodRule = true;       // the period spin edits close the dataset when changed
        // While editing, the period spin edits become read-only instead of disabled.
        bool periodReadOnly = false;
        // Save reads the rows again from the table (computed columns as the
        // statement gives them) before it says "存檔成功!!!".
        bool rereadAfterSave = false;
        // The tab's own button states, set in place of the shared ones by every
        // refresh; empty: the shared button-state refresh.
        std::function<void()> buttonStates;
        // A tab that saves a whole month names it here, asked as Save starts (in
        // the edit mode the rows were keyed in): the save then claims the month
        // (RecordSave::claimMonth). Empty, or nullopt: no month is claimed.
        std::function<std::optional<MonthClaim>()> monthClaim;
    };

    explicit RecordToolbar(const Naming &naming, QWidget *parent = nullptr);

    // The button, or nullptr where the tab has none (Check on three tabs).
    QAbstractButton *button(Button which) const { return m_buttons[which]; }

    void setAction(Button which, std::function<void()> action);
    // Enables or disables; a button without an action stays disabled.
    void setButtonEnabled(Button which, bool enabled);
    void setButtonsEnabled(std::initializer_list<Button> which, bool enabled);
    void disableAll();

    void bind(const Binding &binding);
    bool isBound() const { return m_bound; }
    const Binding &binding() const { return m_binding; }

    // Shared behaviour --------------------------------------------------------------
    // Button-state refresh after every action that changes the mode or the data:
    // the grid, the status panel, the editable columns and the period follow the
    // mode, then the buttons (the shared states or the tab's own).
    void refresh();
    // Start state: navigation, Modify, Delete, Save, Discard and Check disabled,
    // every grid column read-only.
    void startState();
    // The dataset is closed; navigation, Modify, Delete, Save, Discard and Check
    // disabled; Query and Add enabled (after a period change).
    void closedState();
    void navigate(Button which);
    // Query: empty spin edits become 0; `monthQuery` runs the tab's statement and
    // returns whether rows came back (nullopt: it failed and said so itself).
    void query(const std::function<std::optional<bool>()> &monthQuery);
    // Save: applies the cache in one transaction. On failure the engine's message
    // is shown and the cache, the rows and the mode stay as they were; a value
    // refused in the cell being typed stops it before anything is written.
    bool save();
    // False when the user answered No (nothing changed).
    bool discard();
    void clear();
    void exit();
    // The change rule of a period spin edit.
    void applyPeriodRule(PeriodSpinEdit *edit);
    // An empty year or month spin edit is set to 0.
    void zeroEmptyPeriod();
    int year() const;
    int month() const;

signals:
    void buttonClicked(RecordToolbar::Button which);
    // After every refresh(): the mode, the rows or both may have changed.
    void refreshed();

private:
    void refreshButtons(bool browse);
    QAbstractButton *makeButton(Button which, const QString &name, const QString &caption,
                                const QString &hint);

    std::array<QAbstractButton *, ButtonCount> m_buttons{};
    std::array<std::function<void()>, ButtonCount> m_actions{};
    Binding m_binding;
    bool m_bound = false;
    bool m_inPeriodRule = false;
};
