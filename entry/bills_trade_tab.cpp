#include "entry/bills_trade_tab.h"

#include "entry/bills_code_column.h"
#include "ui/amount_delegate.h"

namespace BillsTradeTab {

RowTabDescription description()
{
    using Editing = RowTabDescription::Editing;
    using List = BillsCodes::List;
    // The display column of FLAG<n>: its code typed or picked in modify and add mode.
    auto display = [](int n, const QString &title, int width) {
        return RowTabDescription::Column{
            .field = QStringLiteral("MFLAG%1").arg(n), .title = title, .width = width, .editing = Editing::Always};
    };
    auto amount = [](QObject *parent) { return new AmountDelegate(parent); };
    RowTabDescription d;
    d.kind = DeclarationKind::B04;
    d.gridName = QStringLiteral("dbgeMPBANK2");
    d.columns = {
        {.field = QStringLiteral("M_YEAR"), .title = QStringLiteral("年"), .editing = Editing::AddOnly},
        {.field = QStringLiteral("M_MONTH"), .title = QStringLiteral("月"), .width = 30, .editing = Editing::AddOnly},
        display(1, QStringLiteral("範圍"), 156),
        display(2, QStringLiteral("I/O FLAG"), 67),
        display(3, QStringLiteral("票    券"), 0),
        {.field = QStringLiteral("AMT"),
         .title = QStringLiteral("筆數"),
         .displayPicture = QStringLiteral(",#"),
         .editPicture = QStringLiteral("#"),
         .editing = Editing::Always,
         .delegate = amount},
        {.field = QStringLiteral("AMT1"),
         .title = QStringLiteral("金額"),
         .width = 103,
         .displayPicture = QStringLiteral(",#.###"),
         .editPicture = QStringLiteral("#.###"),
         .editing = Editing::Always,
         .delegate = amount},
    };
    d.codeColumns = {
        BillsCodeColumn::make(QStringLiteral("MFLAG1"), QStringLiteral("FLAG1"), List::TradeRange,
                              QStringLiteral("無此範圍,請查明再行輸入!!!")),
        BillsCodeColumn::make(QStringLiteral("MFLAG2"), QStringLiteral("FLAG2"), List::TradeDirection,
                              QStringLiteral("無此I/O FLAG,請查明再行輸入!!!")),
        BillsCodeColumn::make(QStringLiteral("MFLAG3"), QStringLiteral("FLAG3"), List::BillKind,
                              QStringLiteral("無此票券別,請查明再行輸入!!!")),
    };
    d.titleFont = QStringLiteral("細明體");
    d.titlePixels = 13;
    d.duplicateStatement = QStringLiteral("Select * from EM09 Where M_YEAR = :M_YEAR2 and M_MONTH = :M_MONTH2 "
                                          "and FLAG1=:FLAG1 and FLAG2=:FLAG2 and FLAG3=:FLAG3 ");
    d.keyByPeriodAndCodes(QStringLiteral("M_YEAR2"), QStringLiteral("M_MONTH2"));
    d.pagesDisabledWhileEditing = {DeclarationKind::B01, DeclarationKind::B02, DeclarationKind::B03,
                                   DeclarationKind::B05};
    return d;
}

} // namespace BillsTradeTab
