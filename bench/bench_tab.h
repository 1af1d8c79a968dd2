#pragma once

#include "bench/bench_database.h"
#include "entry/month_tab.h"
#include "tests/support/fake_shell.h"
#include "ui/messages.h"

#include <memory>

// The months the month tab scenarios work on: a stored month they query, and a
// month of a year the database does not hold, which they add and remove again.
namespace BenchMonths {
inline constexpr int NewYear = BenchDatabase::LastYear + 1;
inline constexpr int NewMonth = 1;
inline constexpr int QueryYear = BenchDatabase::LastYear;
inline constexpr int QueryMonth = 6;
} // namespace BenchMonths

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
