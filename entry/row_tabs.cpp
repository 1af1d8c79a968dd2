#include "entry/row_tabs.h"

#include "entry/bills_rate_tab.h"
#include "entry/bills_trade_tab.h"
#include "entry/overdue_ratio_tab.h"

namespace RowTabs {

RowTab *create(Shell &shell, DeclarationKind::Id kind, QWidget *parent)
{
    switch (kind) {
    case DeclarationKind::B02:
        return new OverdueRatioTab(shell, parent);
    case DeclarationKind::B03:
        return new RowTab(shell, BillsRateTab::description(), parent);
    case DeclarationKind::B04:
        return new RowTab(shell, BillsTradeTab::description(), parent);
    case DeclarationKind::B01:
    case DeclarationKind::B05:
        break;
    }
    return nullptr;
}

} // namespace RowTabs
