#include "app/main_window_pages.h"

#include "app/main_window.h"
#include "entry/data_tab_page.h"
#include "ui/dialog_runner.h"
#include "checks/ui/operating_check_runner.h"
#include "entry/operating_data_tab.h"
#include "ui/period_spin_edit.h"
#include "interchange/ui/export_dialog.h"
#include "interchange/ui/import_dialog.h"

namespace MainWindowPages {

DataPages createDataPages(TfmVELQ8MAIN &window, QWidget *parent)
{
    DataPages pages;
    auto add = [&](DataTabPage *page, const QString &caption) {
        pages.append({page, caption, page});
    };
    MonthTabDescription operatingData = OperatingDataTab::description();
    operatingData.check = [&window](MonthTab &tab) {
        const Period period = tab.period();
        runOperatingCheck(&tab, period.year, period.month, window.declaringBankCode(), tab.deleteLabel(),
                          tab.deleteGauge(), [&tab] { tab.query(); }, tab.yearEdit());
    };
    auto *operating = new MonthTab(window, operatingData, parent);
    operating->setImportHook([&window, operating] {
        TfmENTERY dialog(DeclarationKind::B01, *operating->dataset(), window, &window);
        dialog.setAppliedHandler([operating](TfmENTERY::Outcome) { operating->afterImport(); });
        DialogRunner::run(dialog);
    });
    add(operating, QStringLiteral("營運資料明細檔 "));
    // Tabs whose data entry is not built yet: header, period and a disabled toolbar.
    add(new DataTabPage(window, DeclarationKind::B02, parent), QStringLiteral("各營業單位逾期放款比率檔"));
    add(new DataTabPage(window, DeclarationKind::B03, parent), QStringLiteral("兼營票券利率業務統計檔"));
    add(new DataTabPage(window, DeclarationKind::B04, parent), QStringLiteral("兼營票券交易業務統計檔"));
    add(new DataTabPage(window, DeclarationKind::B05, parent), QStringLiteral("銀行縣市別資料檔"));
    return pages;
}

Dialogs dialogs(TfmVELQ8MAIN &window)
{
    Dialogs list;
    list.insert(QStringLiteral("TfmVELQ8EXIT"), [&window] {
        TfmVELQ8EXIT dialog(window.declaringBankCode(), &window);
        DialogRunner::run(dialog);
    });
    return list;
}

} // namespace MainWindowPages
