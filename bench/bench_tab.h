#pragma once

#include "entry/month_tab.h"
#include "tests/support/fake_shell.h"
#include "ui/messages.h"

#include <memory>

// A month tab on the generated database, driven offscreen as a user presses its
// buttons: every question answered Yes, nothing shown. The tests' fake shell
// serves as its main window.
struct BenchTab
{
    ScriptedMessages messages;
    FakeShell shell;
    std::unique_ptr<MonthTab> tab;

    // Opens the lists and shows the tab on the period; false (said on standard
    // error, naming the scenario) when the lists cannot be read.
    bool open(const MonthTabDescription &description, int year, int month, const char *scenario);
    // Leaves a month being edited without saving it; forgets the messages.
    void discard();
    // Sets the period spin edits (the change rule closes the month).
    void period(int year, int month);
};
