#pragma once

#include "checks/county_check.h"
#include "db/database.h"

#include <QString>

class CachedDataset;
class QLabel;
class QProgressBar;
class QWidget;

// The county data check as the "檢核" button (sbCheck3) of the county tab runs it,
// over the rows the tab holds (`rows`, qryHMPBANK, not read again): runMonthCheck()
// (checks/ui/check_runner.h) with a CountyCheck. In full:
//
//  1. No rows held (the dataset closed or empty): nothing happens, nothing is said.
//  2. Year or month 0: warning "請輸入欲檢核之年月資料!!!", the focus goes to
//     `yearEdit` (if given).
//  3. `labDEL1` shows "資料檢核中請稍候...." and `gdeDel1` follows the counties
//     begun (k * 100 div n).
//  4. Nothing found: warning "資料完全符合!!!"; otherwise the result window
//     TfmVELQ8CHECK, modal, freed when it closes, with the steps of the current
//     row's formula in its county in the lower pane.
//  5. In every case the gauge is hidden and the label emptied at the end.
// An engine error is shown with the engine's message. Returns what the check found.
CountyCheck::Status runCountyCheck(QWidget *tab, const CachedDataset &rows, int year, int month,
                                   QLabel *labDEL1, QProgressBar *gdeDel1, QWidget *yearEdit = nullptr,
                                   const QString &connectionName = Database::connectionName());
