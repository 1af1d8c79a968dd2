#include "app/main_window_pages.h"

#include "app/export_log_window.h"
#include "app/main_window.h"
#include "db/database.h"
#include "db/export_record.h"
#include "ui/messages.h"
#include "entry/data_tab_page.h"
#include "ui/dialog_runner.h"
#include "checks/ui/operating_check_runner.h"
#include "checks/ui/county_check_runner.h"
#include "checks/ui/live_check_view.h"
#include "entry/county_data_tab.h"
#include "entry/operating_data_tab.h"
#include "entry/row_tab.h"
#include "entry/row_tabs.h"
#include "ui/period_spin_edit.h"
#include "interchange/ui/export_dialog.h"
#include "interchange/ui/import_dialog.h"
#include "reports/report_kind.h"
#include "reports/ui/report_parameter_dialog.h"
#include "checks/ui/county_account_window.h"
#include "checks/ui/county_formula_window.h"
#include "checks/ui/operating_account_window.h"
#include "checks/ui/operating_formula_window.h"
#include "db/reference_lists.h"
#include "reference/ui/county_window.h"
#include "reference/ui/institution_window.h"

#include <memory>

namespace MainWindowPages {

namespace {

// The import button of a data tab: the dialog fills and stores the tab's own
// dataset; `imported` sets the tab's buttons after the rows are stored.
void wireImport(TfmVELQ8MAIN &window, DataTabPage &tab, std::function<void()> imported)
{
    tab.setImportHook([&window, &tab, imported = std::move(imported)] {
        TfmENTERY dialog(tab.kind().id(), *tab.dataset(), window, &window);
        dialog.setAppliedHandler([imported](TfmENTERY::Outcome) { imported(); });
        DialogRunner::run(dialog);
    });
}

// The check while keying of a month tab, following the month's editing.
void wireLiveCheck(MonthTab &tab, LiveCheckSession::Kind kind)
{
    auto *live = new LiveCheckView(kind, *tab.dataset(), tab.grid(), tab.editColumn(), &tab);
    tab.setLiveCheck(live->statusPanel(), live->pane());
    QObject::connect(&tab, &MonthTab::monthEditingChanged, live, &LiveCheckView::follow);
}

// The operating data tab: its check of the declaring institution's month after
// its own query, its import of kind 1.
DataTabPage *operatingDataTab(TfmVELQ8MAIN &window, QWidget *parent)
{
    MonthTabDescription description = OperatingDataTab::description();
    description.check = [&window](MonthTab &tab) {
        const Period period = tab.period();
        runOperatingCheck(&tab, period.year, period.month, window.declaringBankCode(), tab.deleteLabel(),
                          tab.deleteGauge(), [&tab] { tab.query(); }, tab.yearEdit());
    };
    auto *operating = new MonthTab(window, description, parent);
    wireLiveCheck(*operating, LiveCheckSession::Kind::Operating);
    wireImport(window, *operating, [operating] { operating->afterImport(); });
    return operating;
}

// A row tab; the grid shows what the import stored, not read again.
DataTabPage *rowTab(TfmVELQ8MAIN &window, DeclarationKind::Id kind, QWidget *parent)
{
    RowTab *tab = RowTabs::create(window, kind, parent);
    wireImport(window, *tab, [tab] { tab->afterImport(); });
    return tab;
}

// The county tab: its check over the rows it holds, its import of kind 5.
DataTabPage *countyDataTab(TfmVELQ8MAIN &window, QWidget *parent)
{
    MonthTabDescription description = CountyDataTab::description();
    description.check = [](MonthTab &tab) {
        const Period period = tab.period();
        runCountyCheck(&tab, *tab.dataset(), period.year, period.month, tab.deleteLabel(), tab.deleteGauge(),
                       tab.yearEdit());
    };
    auto *county = new MonthTab(window, description, parent);
    wireLiveCheck(*county, LiveCheckSession::Kind::County);
    county->setImportHook([&window, county] {
        TfmENTERY dialog(DeclarationKind::B05, *county->dataset(), window, &window);
        dialog.setAppliedHandler([county, &dialog](TfmENTERY::Outcome) {
            county->afterImport(dialog.lastResult().period);
        });
        DialogRunner::run(dialog);
        // Declined or failed: the dialog may have emptied the grid.
        if (dialog.outcome() != TfmENTERY::Outcome::Imported)
            county->toolbar()->refresh();
    });
    return county;
}

// The tab of a kind. A new kind is a new case here (the compiler names the
// switch that lacks it); its caption and place come from the kind registry.
DataTabPage *dataTab(TfmVELQ8MAIN &window, DeclarationKind::Id kind, QWidget *parent)
{
    switch (kind) {
    case DeclarationKind::B01:
        return operatingDataTab(window, parent);
    case DeclarationKind::B02:
    case DeclarationKind::B03:
    case DeclarationKind::B04:
        return rowTab(window, kind, parent);
    case DeclarationKind::B05:
        return countyDataTab(window, parent);
    }
    return nullptr;
}

} // namespace

DataPages createDataPages(TfmVELQ8MAIN &window, QWidget *parent)
{
    DataPages pages;
    for (const DeclarationKind *kind : DeclarationKind::all()) {
        DataTabPage *page = dataTab(window, kind->id(), parent);
        pages.append({page, kind->tab().caption, page, kind->id()});
    }
    return pages;
}

namespace {

// A dialog that needs nothing but its owner: made, run and freed.
template <typename Dialog>
std::function<void()> plainDialog(TfmVELQ8MAIN &window)
{
    return [&window] {
        Dialog dialog(&window);
        DialogRunner::run(dialog);
    };
}

} // namespace

Dialogs dialogs(TfmVELQ8MAIN &window)
{
    Dialogs list;
    list.insert(QStringLiteral("TfmVELQCACNO"), plainDialog<TfmVELQCACNO>(window));
    list.insert(QStringLiteral("TfmVELQRules"), plainDialog<TfmVELQRules>(window));
    list.insert(QStringLiteral("TfmVELQHCACNO"), plainDialog<TfmVELQHCACNO>(window));
    list.insert(QStringLiteral("TfmVELQHRules"), plainDialog<TfmVELQHRules>(window));
    // The counties window keeps its editing state for the whole run.
    auto countyState = std::make_shared<EditMode>(EditMode::Browse);
    list.insert(QStringLiteral("TfmCD01"), [&window, countyState] {
        TfmCD01 dialog(window.references(), *countyState, &window);
        DialogRunner::run(dialog);
    });
    list.insert(QStringLiteral("TfmVELQBN01"), [&window] {
        {
            TfmVELQBN01 dialog(window, &window);
            DialogRunner::run(dialog);
        }
        // A new name of the first institution shows on every tab at once.
        window.refreshBankName();
    });
    list.insert(QStringLiteral("TfmVELQ8EXIT"), [&window] {
        TfmVELQ8EXIT dialog(window.declaringBankCode(), &window);
        DialogRunner::run(dialog);
    });
    list.insert(QStringLiteral("TfmExportLog"), [&window] {
        QList<ExportRecord> records;
        QString error;
        if (!ExportRecord::list(QString::fromLatin1(Database::ConnectionName), 0, 0, &records, &error)) {
            Messages::current().error(error, &window);
            return;
        }
        ExportLogWindow dialog(records, &window);
        DialogRunner::run(dialog);
    });
    // The report dialogs of the reports built so far (the others' buttons stay disabled).
    for (const ReportKind &kind : ReportKind::all()) {
        if (!kind.isAvailable())
            continue;
        list.insert(kind.dialogName, [&window, &kind] {
            ReportParameterDialog dialog(kind, &window);
            DialogRunner::run(dialog);
        });
    }
    return list;
}

} // namespace MainWindowPages
