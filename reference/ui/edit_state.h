#pragma once

#include "ui/shell.h"

#include <functional>

// Where a maintenance window keeps its editing state (browse, modify, add): the
// institutions window in the main window's shared edit mode, the counties window
// in a value of its own that outlives the window.
struct EditState
{
    std::function<EditMode()> get;
    std::function<void(EditMode)> set;

    static EditState sharedBy(Shell &shell)
    {
        return {[&shell] { return shell.editMode(); }, [&shell](EditMode m) { shell.setEditMode(m); }};
    }
    static EditState keptIn(EditMode &value)
    {
        return {[&value] { return value; }, [&value](EditMode m) { value = m; }};
    }
};
