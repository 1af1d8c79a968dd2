#pragma once

#include "entry/row_tab_description.h"

// The bills interest-rate tab ("兼營票券利率業務統計檔"): one rate of EM08 per
// year, month, market, term, kind of bill and kind of rate, each code shown
// through a display column with its label and keyed by its code or picked. The
// rate is not checked. A row tab with this description:
//
//     RowTab tab(shell, BillsRateTab::description());
namespace BillsRateTab {

RowTabDescription description();

} // namespace BillsRateTab
