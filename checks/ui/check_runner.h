#pragma once

#include "checks/month_check.h"

class QLabel;
class QProgressBar;
class QWidget;

// What a tab lends the check it runs: the progress label and gauge (labDEL,
// gdeDEL; labDEL1, gdeDel1) and the year field the focus goes to when the
// period is incomplete (none: the focus stays).
struct CheckControls
{
    QLabel *label = nullptr;
    QProgressBar *gauge = nullptr;
    QWidget *yearEdit = nullptr;
};

// Any check of a month as the "檢核" button of a tab runs it, with its messages,
// its progress and the result window:
//
//  1. prepare(): rows handed over closed or empty (NoRows): nothing is said.
//     Year or month 0: warning "請輸入欲檢核之年月資料!!!", the focus goes to the
//     year field. No data of the month: warning "查無符合之資料!!!".
//  2. The label shows "資料檢核中請稍候....", the gauge is shown and follows the
//     steps begun (k * 100 div n), both repainted as they change.
//  3. Nothing found: warning "資料完全符合!!!". Otherwise the result window
//     TfmVELQ8CHECK opens modally (through DialogRunner) over the tab's window and
//     is freed when it closes; its lower pane shows the steps of the current
//     row's formula, worked out by the check when opened.
//  4. In every case the gauge is hidden and the label emptied at the end.
// An engine error is shown with the engine's message. Every box carries the
// caption "Velqora". Returns what the check found.
MonthCheck::Status runMonthCheck(QWidget *tab, MonthCheck &check, int year, int month,
                                 const CheckControls &controls);
