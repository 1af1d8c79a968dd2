#include "entry/bills_rate_tab.h"

#include "entry/bills_code_column.h"
#include "ui/ratio_delegate.h"

namespace BillsRateTab {

RowTabDescription description()
{
    using Editing = RowTabDescription::Editing;
    using List = BillsCodes::List;
    // The display column of FLAG<n>: its code typed or picked in modify and add mode.
    auto display = [](int n, const QString &title) {
        return RowTabDescription::Column{
            .field = QStringLiteral("MFLAG%1").arg(n), .title = title, .editing = Editing::Always};
    };
    RowTabDescription d;
    d.kind = DeclarationKind::B03;
    d.gridName = QStringLiteral("dbgeMPBANK9");
    d.columns = {
        {.field = QStringLiteral("M_YEAR"), .title = QStringLiteral("年"), .width = 29, .editing = Editing::AddOnly},
        {.field = QStringLiteral("M_MONTH"), .title = QStringLiteral("月"), .width = 36, .editing = Editing::AddOnly},
        display(1, QStringLiteral("市場別")),
        display(2, QStringLiteral("期限別")),
        display(3, QStringLiteral("票券別")),
        display(4, QStringLiteral("利率別")),
        {.field = QStringLiteral("RATE"),
         .title = QStringLiteral("利率"),
         .displayPicture = QStringLiteral("#.##"),
         .editPicture = QStringLiteral("#.##"),
         .editing = Editing::Always,
         .delegate = [](QObject *parent) { return new RatioDelegate(parent); }},
    };
    d.codeColumns = {
        BillsCodeColumn::make(QStringLiteral("MFLAG1"), QStringLiteral("FLAG1"), List::RateMarket,
                              QStringLiteral("無此市場別,請查明再行輸入!!!")),
        BillsCodeColumn::make(QStringLiteral("MFLAG2"), QStringLiteral("FLAG2"), List::RateTerm,
                              QStringLiteral("無此期限別,請查明再行輸入!!!")),
        BillsCodeColumn::make(QStringLiteral("MFLAG3"), QStringLiteral("FLAG3"), List::BillKind,
                              QStringLiteral("無此票券別,請查明再行輸入!!!")),
        BillsCodeColumn::make(QStringLiteral("MFLAG4"), QStringLiteral("FLAG4"), List::RateKind,
                              QStringLiteral("無此利率別,請查明再行輸入!!!")),
    };
    d.titleFont = QStringLiteral("細明體");
    d.titlePixels = 13;
    d.duplicateStatement = QStringLiteral(
        "Select * from EM08 Where M_YEAR = :M_YEAR9 and M_MONTH = :M_MONTH9 and FLAG1=:FLAG1 and FLAG2=:FLAG2 "
        "and FLAG3=:FLAG3 and FLAG4=:FLAG4 ");
    d.keyByPeriodAndCodes(QStringLiteral("M_YEAR9"), QStringLiteral("M_MONTH9"));
    d.pagesDisabledWhileEditing = {DeclarationKind::B01, DeclarationKind::B02, DeclarationKind::B04,
                                   DeclarationKind::B05};
    return d;
}

} // namespace BillsRateTab
