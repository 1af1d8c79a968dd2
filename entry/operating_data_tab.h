#pragma once

#include "entry/month_tab.h"

// The operating data tab ("營運資料明細檔 "): one amount per operating account
// (MPBANK) of the declaring institution for a month, created as one zero row per
// account of qryCACNO in its stored order (SERIAL 1..n), keyed in, saved,
// queried, modified and deleted as a whole. A month tab with this description:
//
//     MonthTab tab(shell, OperatingDataTab::description());
namespace OperatingDataTab {

MonthTabDescription description();

} // namespace OperatingDataTab
