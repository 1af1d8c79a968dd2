#include "bench/bench_tab.h"

#include "ui/period_spin_edit.h"

#include <QApplication>

#include <cstdio>

bool BenchTab::open(const MonthTabDescription &description, int year, int month, const char *scenario)
{
    messages.setDefaultAnswer(true);
    if (!shell.open()) {
        std::fprintf(stderr, "%s: the reference tables cannot be opened\n", scenario);
        return false;
    }
    tab = std::make_unique<MonthTab>(shell, description);
    tab->resize(1000, 700);
    tab->setPeriod(year, month);
    tab->startState();
    tab->show();
    QApplication::processEvents();
    return true;
}

void BenchTab::discard()
{
    if (shell.editMode() != EditMode::Browse)
        tab->toolbar()->discard();
    messages.clear();
    QApplication::processEvents();
}

void BenchTab::period(int year, int month)
{
    // Two tabs in one scenario: the messages of the one being driven are the
    // ones the program speaks to (otherwise the tab made last would hear them).
    Messages::install(&messages);
    tab->yearEdit()->setEditText(QString::number(year));
    tab->monthEdit()->setEditText(QString::number(month));
}
