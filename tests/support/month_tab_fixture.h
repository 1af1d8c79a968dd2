#pragma once

#include "entry/county_data_tab.h"
#include "entry/month_tab.h"
#include "entry/operating_data_tab.h"
#include "tests/support/fake_shell.h"
#include "tests/support/test_database.h"
#include "ui/messages.h"

#include <QStringList>
#include <memory>

class PeriodSpinEdit;
class QAbstractButton;
class QLineEdit;

// A month tab on a database of its own, driven as a user does: the declaring
// institution 995 (測試銀行) and a branch, the accounts given, messages
// recorded and answered by script, the period 115/1, the tab shown.
//
//     MonthTabFixture f;
//     QVERIFY(f.setUp({"11000", "12000"}));   // the operating data tab
//     QVERIFY(f.click("sbAdd"));
//     QVERIFY(f.typeAmount(0, "1234.5"));
struct MonthTabFixture
{
    static inline const QString Bank = QStringLiteral("995");
    // The operating data tab's enabled buttons in its three situations.
    static inline const QStringList BrowseStart = {"sbQuery", "sbAdd", "sbExit", "sbClear"};
    static inline const QStringList BrowseWithRows = {"sbFirst", "sbLast", "sbPrior", "sbNext", "sbQuery",
                                                      "sbAdd", "sbEdit", "sbDel", "sbExit", "sbClear"};
    static inline const QStringList Editing = {"sbFirst", "sbLast", "sbPrior", "sbNext", "sbPost", "sbCancel"};

    TestDatabase db{TestDatabase::Content::Empty};
    ScriptedMessages messages;
    FakeShell shell;
    std::unique_ptr<MonthTab> tab;

    // BN01, CACNO (in the stored order given), then the tab of `description`.
    bool setUp(const QStringList &accounts,
               const MonthTabDescription &description = OperatingDataTab::description());

    // A stored operating month: SERIAL 1..n in the order given, AMT = base + SERIAL.
    bool addMonth(int year, int month, const QStringList &codes, double base = 0, const QString &bank = Bank);
    // setUp() with the month 115/1 of every account stored, then loaded by Query.
    bool setUpMonth(const QStringList &accounts) { return setUp(accounts) && addMonth(115, 1, accounts); }
    bool setUpLoaded(const QStringList &accounts) { return setUpMonth(accounts) && click("sbQuery"); }

    // The county tab: BN01, CD01 (codes in the stored order given, named
    // "縣<code>"), HCACNO (in the stored order given), then the tab.
    bool setUpCounty(const QStringList &counties, const QStringList &accounts,
                     const MonthTabDescription &description = CountyDataTab::description());
    // A stored county month: every county by every account in the order given,
    // AMT = base + 1, 2, ...
    bool addCountyMonth(int year, int month, const QStringList &counties, const QStringList &accounts,
                        double base = 0, const QString &bank = Bank);

    CachedDataset &ds() { return *tab->dataset(); }
    RecordGrid *grid() { return tab->grid(); }
    PeriodSpinEdit *year() { return tab->yearEdit(); }
    PeriodSpinEdit *month() { return tab->monthEdit(); }
    QAbstractButton *button(const QString &name);
    QString cell(int row, int column);
    // Clicks an enabled button; false when it is missing or disabled.
    bool click(const QString &name);
    void period(const QString &y, const QString &m);
    QStringList enabledButtons();
    QLineEdit *editor();
    // Types into the amount cell of `row` (the tab's edit column) and presses `finish`.
    bool typeAmount(int row, const QString &text, Qt::Key finish = Qt::Key_Return);
    // Opens the amount cell of `row` and types `text` without finishing it.
    bool startTyping(int row, const QString &text);
    QStringList column(const QString &field);
    bool said(Messages::Icon icon, const QString &text, const QString &caption = Messages::appCaption());

private:
    bool setUpTab(const QString &accountTable, const QStringList &accounts, const QStringList &counties,
                  const MonthTabDescription &description);
};

// The names the tests of the month tabs go by.
namespace month_tab_names {
using Fixture = MonthTabFixture;
using Icon = Messages::Icon;
inline const QString &Bank = MonthTabFixture::Bank;
inline const QStringList &BrowseStart = MonthTabFixture::BrowseStart;
inline const QStringList &BrowseWithRows = MonthTabFixture::BrowseWithRows;
inline const QStringList &Editing = MonthTabFixture::Editing;
} // namespace month_tab_names
