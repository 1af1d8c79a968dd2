#pragma once

#include "entry/row_tab_description.h"

// The bills trading tab ("兼營票券交易業務統計檔"): a number of deals and an
// amount of EM09 per year, month, range, direction and kind of bill, the codes
// shown through display columns as on the bills interest-rate tab. Neither number
// is checked. A row tab with this description:
//
//     RowTab tab(shell, BillsTradeTab::description());
namespace BillsTradeTab {

RowTabDescription description();

} // namespace BillsTradeTab
