#include "checks/ui/check_runner.h"

#include "checks/ui/check_progress.h"
#include "checks/ui/check_window.h"
#include "ui/messages.h"

#include <QWidget>

namespace {

// What a tab says when prepare() refuses; false when the check may go on.
bool refused(QWidget *tab, const MonthCheck &check, const CheckControls &controls)
{
    Messages &messages = Messages::current();
    switch (check.status()) {
    case MonthCheck::Status::Ready:
    case MonthCheck::Status::AllHold:
    case MonthCheck::Status::RowsFound:
        return false;
    case MonthCheck::Status::NoRows:
        break;
    case MonthCheck::Status::PeriodIncomplete:
        messages.warning(QStringLiteral("請輸入欲檢核之年月資料!!!"), tab);
        if (controls.yearEdit)
            controls.yearEdit->setFocus();
        break;
    case MonthCheck::Status::NoData:
        messages.warning(QStringLiteral("查無符合之資料!!!"), tab);
        break;
    case MonthCheck::Status::DatabaseError:
        messages.error(check.errorText(), tab);
        break;
    }
    return true;
}

} // namespace

MonthCheck::Status runMonthCheck(QWidget *tab, MonthCheck &check, int year, int month,
                                 const CheckControls &controls)
{
    CheckProgress display(controls.label, controls.gauge);
    check.prepare(year, month);
    if (refused(tab, check, controls))
        return check.status();

    display.start();
    const MonthCheck::Status status = check.evaluate([&display](int k, int n) { display.step(k, n); });
    if (status == MonthCheck::Status::DatabaseError)
        Messages::current().error(check.errorText(), tab);
    else
        TfmVELQ8CHECK::showFindings(check.rows(), tab,
                                    [&check](const CheckResultRow &row) { return check.explain(row); });
    return status;
}
