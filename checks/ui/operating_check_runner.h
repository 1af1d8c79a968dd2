#pragma once

#include "checks/operating_check.h"
#include "db/database.h"

#include <QString>
#include <functional>

class QLabel;
class QProgressBar;
class QWidget;

// The operating data check as the "檢核" button (sbCheck) of the operating data
// tab runs it: runMonthCheck() (checks/ui/check_runner.h) with an OperatingCheck,
// after the tab's own query. In full:
//
//  1. Year or month 0: warning "請輸入欲檢核之年月資料!!!", the focus goes to
//     `yearEdit` (if given), nothing is evaluated.
//  2. `queryStep` runs: the tab's own query (sbQuery), which re-reads qryMPBANK for
//     the period and shows "查無任何符合資料!!!" itself when the month is empty.
//  3. No amount row for the institution and month: warning "查無符合之資料!!!".
//  4. `labDEL` shows "資料檢核中請稍候....", `gdeDEL` is shown and follows the
//     formulas begun (k * 100 div n); both are repainted as they change.
//  5. Nothing found: warning "資料完全符合!!!". Otherwise the result window
//     TfmVELQ8CHECK opens modally (through DialogRunner) over the tab's window and
//     is freed when it closes; the rows are never stored. Its lower pane shows the
//     steps of the current row's formula, worked out by this check when opened.
//  6. In every case the gauge is hidden and the label emptied at the end.
// An engine error is shown with the engine's message. Every box carries the
// caption "Velqora". Returns what the check found.
OperatingCheck::Status runOperatingCheck(QWidget *tab, int year, int month, const QString &bankCode,
                                         QLabel *labDEL, QProgressBar *gdeDEL,
                                         const std::function<void()> &queryStep = {},
                                         QWidget *yearEdit = nullptr,
                                         const QString &connectionName = Database::connectionName());
