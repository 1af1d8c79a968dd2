#pragma once

#include <QString>

class CachedDataset;

// What the main window needs from each data tab.
class DataTab
{
public:
    virtual ~DataTab() = default;

    // The tab's dataset (qryMPBANK, qryEM03, ...), or nullptr before it is built.
    virtual CachedDataset *dataset() = 0;
    // Sets the period spin edits (runs the tab's change rule) at start.
    virtual void setPeriod(int year, int month) = 0;
    // The toolbar's start state: navigation, Modify, Delete, Save, Discard (and
    // Check) disabled, every grid column read-only.
    virtual void startState() = 0;
    // Refreshes the institution name label after BN01 changed.
    virtual void setBankName(const QString &name) = 0;
    // Called on the close of the main window after the user said Yes: saves what
    // the tab holds unsaved (row still in editing, or cached changes). False when
    // saving failed or the tab's guard refused: the window then stays open. The tab
    // shows the engine's message itself.
    virtual bool saveOnClose() = 0;
};
