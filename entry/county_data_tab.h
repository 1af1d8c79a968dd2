#pragma once

#include "entry/month_tab.h"

// The county data tab ("銀行縣市別資料檔"): the operating data by county (HMPBANK)
// of every institution for a month, created as the whole grid of counties
// (tblCD01, stored order) by county accounts (qryHCACNO, code order) with zero
// amounts, keyed in, saved, modified and deleted as a whole. A month tab with
// this description:
//
//     MonthTab tab(shell, CountyDataTab::description());
//
// Where it departs from the operating data tab: its queries select by period
// only; Add finds a period of any institution and, answered No, closes the
// month; Modify and Delete take the rows it holds without reading them again;
// the period is read-only (not disabled) while a month is edited; Save reads the
// month again; the buttons follow the tab's own states.
namespace CountyDataTab {

MonthTabDescription description();

} // namespace CountyDataTab
