#include "entry/operating_data_tab.h"

#include "db/cached_dataset.h"
#include "db/reference_lists.h"
#include "ui/amount_delegate.h"
#include "ui/messages.h"
#include "ui/shell.h"

namespace {

// One zero row per account of the account list, in its order, SERIAL 1..n.
bool appendAccountRows(const MonthTabDescription::NewMonth &month)
{
    CachedDataset &accounts = month.shell.references().qryCACNO();
    if (!accounts.isOpen() && !accounts.open()) {
        Messages::current().error(accounts.lastError(), month.window);
        return false;
    }
    CachedDataset &dataset = month.dataset;
    const QVariant year = month.period.year;
    const QVariant monthNumber = month.period.month;
    const QVariant bank = month.shell.declaringBankCode();
    const bool hasAccName = accounts.fieldIndex(QStringLiteral("ACCNAME")) >= 0;
    const QVariant zero = 0.0;
    const int count = accounts.recordCount();
    for (int i = 0; i < count; ++i) {
        const QVariant code = accounts.value(i, QStringLiteral("ACC_CODE"));
        const QVariant name = hasAccName
            ? accounts.value(i, QStringLiteral("ACCNAME"))
            : QVariant(code.toString() + QStringLiteral("  ")
                       + accounts.value(i, QStringLiteral("ACC_NAME")).toString());
        dataset.append();
        dataset.setValue(QStringLiteral("M_YEAR"), year);
        dataset.setValue(QStringLiteral("M_MONTH"), monthNumber);
        dataset.setValue(QStringLiteral("BANK_CODE"), bank);
        dataset.setValue(QStringLiteral("ACC_CODE"), code);
        dataset.setValue(QStringLiteral("SERIAL"), i + 1);
        dataset.setValue(QStringLiteral("ACCNAME"), name);
        dataset.setValue(QStringLiteral("AMT"), zero);
        dataset.post();
    }
    return true;
}

} // namespace

namespace OperatingDataTab {

MonthTabDescription description()
{
    MonthTabDescription d;
    d.kind = DeclarationKind::B01;
    d.gridName = QStringLiteral("DBGEMPBANK");
    d.columns = {
        {.field = QStringLiteral("M_YEAR"), .title = QStringLiteral("年"), .width = 30},
        {.field = QStringLiteral("M_MONTH"), .title = QStringLiteral("月"), .width = 30},
        {.field = QStringLiteral("ACCNAME"), .title = QStringLiteral("科        目        名        稱"), .width = 360},
        {.field = QStringLiteral("AMT"),
         .title = QStringLiteral("金額"),
         .width = 285,
         .displayPicture = QStringLiteral(",#.###"),
         .editPicture = QStringLiteral("#.###"),
         .editable = true,
         .delegate = [](QObject *parent) { return new AmountDelegate(parent); }},
    };
    d.advanceColumns = 3;
    d.deleteLabelName = QStringLiteral("labDEL");
    d.deleteGaugeName = QStringLiteral("gdeDEL");
    d.deleteQuestion = QStringLiteral("確定要刪除嗎 ???");
    d.newMonthRows = appendAccountRows;
    return d;
}

} // namespace OperatingDataTab
