#include "entry/county_data_tab.h"

#include "db/cached_dataset.h"
#include "db/reference_lists.h"
#include "db/table_cursor.h"
#include "ui/amount_delegate.h"
#include "ui/messages.h"
#include "ui/shell.h"

namespace {

using B = RecordToolbar::Button;
using State = MonthTabDescription::State;

// Every county of tblCD01 in stored order, and within it every account of
// qryHCACNO in code order, one zero row each. The county shows as code, one
// blank, name until the month is saved and read again (the query joins two).
bool appendCountyRows(const MonthTabDescription::NewMonth &month)
{
    ReferenceLists &lists = month.shell.references();
    TableCursor &counties = lists.tblCD01();
    CachedDataset &accounts = lists.qryHCACNO();
    if (!counties.isOpen() && !counties.open()) {
        Messages::current().error(counties.lastError(), month.window);
        return false;
    }
    if (!accounts.isOpen() && !accounts.open()) {
        Messages::current().error(accounts.lastError(), month.window);
        return false;
    }
    struct Account
    {
        QVariant code;
        QVariant name;
    };
    QList<Account> accountList;
    accountList.reserve(accounts.recordCount());
    for (int i = 0; i < accounts.recordCount(); ++i)
        accountList.append({accounts.value(i, QStringLiteral("ACC_CODE")), accounts.value(i, QStringLiteral("ACCNAME"))});

    CachedDataset &dataset = month.dataset;
    const QVariant year = month.period.year;
    const QVariant monthNumber = month.period.month;
    const QVariant bank = month.shell.declaringBankCode();
    const QVariant zero = 0.0;
    for (int c = 0; c < counties.recordCount(); ++c) {
        const QString id = counties.value(c, QStringLiteral("HSIEN_ID")).toString();
        const QVariant county = id;
        const QVariant countyName = id + u' ' + counties.value(c, QStringLiteral("HSIEN_NAME")).toString();
        for (const Account &account : accountList) {
            dataset.append();
            dataset.setValue(QStringLiteral("M_YEAR"), year);
            dataset.setValue(QStringLiteral("M_MONTH"), monthNumber);
            dataset.setValue(QStringLiteral("BANK_CODE"), bank);
            dataset.setValue(QStringLiteral("HSIEN_ID"), county);
            dataset.setValue(QStringLiteral("HSIENNAME"), countyName);
            dataset.setValue(QStringLiteral("ACC_CODE"), account.code);
            dataset.setValue(QStringLiteral("ACCNAME"), account.name);
            dataset.setValue(QStringLiteral("AMT"), zero);
            dataset.post();
        }
    }
    return true;
}

// The buttons as the tab's handlers leave them. A button named in neither list
// keeps its state; the states of the loaded month and of the saved month are
// one, since a month is only ever loaded with Save and Discard already off.
QMap<State, MonthTabDescription::Buttons> buttonStates()
{
    const QList<B> navigation{B::First, B::Last, B::Prior, B::Next};
    return {
        {State::Closed, {{B::Query, B::Add}, navigation + QList<B>{B::Edit, B::Del, B::Post, B::Cancel, B::Check}}},
        {State::Loaded,
         {navigation + QList<B>{B::Query, B::Add, B::Edit, B::Del, B::Exit, B::Clear, B::Check, B::Import},
          {B::Post, B::Cancel}}},
        {State::Empty,
         {{B::Query, B::Add, B::Exit, B::Clear, B::Import},
          navigation + QList<B>{B::Edit, B::Del, B::Check, B::Post, B::Cancel}}},
        {State::Editing,
         {{B::Post, B::Cancel},
          navigation + QList<B>{B::Query, B::Add, B::Edit, B::Del, B::Exit, B::Clear, B::Check, B::Import}}},
        {State::AddDeclined,
         {{B::Query, B::Add, B::Exit, B::Clear},
          navigation + QList<B>{B::Edit, B::Del, B::Post, B::Cancel, B::Check, B::Import}}},
    };
}

} // namespace

namespace CountyDataTab {

MonthTabDescription description()
{
    MonthTabDescription d;
    d.kind = DeclarationKind::B05;
    d.gridName = QStringLiteral("dbgeHMPBANK");
    d.columns = {
        {.field = QStringLiteral("M_YEAR"), .title = QStringLiteral("年"), .width = 28},
        {.field = QStringLiteral("M_MONTH"), .title = QStringLiteral("月"), .width = 25},
        {.field = QStringLiteral("HSIENNAME"), .title = QStringLiteral("縣  市  名 稱"), .width = 136},
        {.field = QStringLiteral("ACCNAME"), .title = QStringLiteral("科        目        名        稱"), .width = 324},
        {.field = QStringLiteral("AMT"),
         .title = QStringLiteral("金        額"),
         .width = 128,
         .displayPicture = QStringLiteral(",#.###"),
         .editPicture = QStringLiteral("#.###"),
         .editable = true,
         .delegate = [](QObject *parent) { return new AmountDelegate(parent); }},
    };
    d.advanceColumns = 4;
    d.deleteLabelName = QStringLiteral("labDEL1");
    d.deleteGaugeName = QStringLiteral("gdeDel1");
    d.deleteQuestion = QStringLiteral("確定要刪除嗎?");
    d.newMonthRows = appendCountyRows;
    d.buttonStates = buttonStates();
    d.periodReadOnly = true;
    d.rereadAfterSave = true;
    d.periodOfAnyInstitution = true;
    d.existingMonthOrder = QStringLiteral("order by a.m_year,a.m_month,a.bank_code,A.HSIEN_ID,a.acc_code");
    d.closeWhenAddDeclined = true;
    d.workOnLoadedRows = true;
    return d;
}

} // namespace CountyDataTab
