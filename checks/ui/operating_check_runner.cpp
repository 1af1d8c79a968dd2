#include "checks/ui/operating_check_runner.h"

#include "checks/ui/check_progress.h"
#include "checks/ui/check_window.h"
#include "ui/messages.h"

#include <QWidget>

OperatingCheck::Status runOperatingCheck(QWidget *tab, int year, int month, const QString &bankCode,
                                         QLabel *labDEL, QProgressBar *gdeDEL,
                                         const std::function<void()> &queryStep, QWidget *yearEdit,
                                         const QString &connectionName)
{
    CheckProgress display(labDEL, gdeDEL);
    Messages &messages = Messages::current();

    if (year == 0 || month == 0) {
        messages.warning(QStringLiteral("請輸入欲檢核之年月資料!!!"), tab);
        if (yearEdit)
            yearEdit->setFocus();
        return OperatingCheck::Status::PeriodIncomplete;
    }
    if (queryStep)
        queryStep();

    OperatingCheck check(connectionName);
    OperatingCheck::Status status = check.prepare(bankCode, year, month);
    if (status == OperatingCheck::Status::NoData) {
        messages.warning(QStringLiteral("查無符合之資料!!!"), tab);
        return status;
    }
    if (status == OperatingCheck::Status::DatabaseError) {
        messages.error(check.errorText(), tab);
        return status;
    }

    display.start();
    status = check.evaluate([&display](int k, int n) { display.step(k, n); });
    if (status == OperatingCheck::Status::DatabaseError)
        messages.error(check.errorText(), tab);
    else if (status == OperatingCheck::Status::AllHold || status == OperatingCheck::Status::RowsFound)
        TfmVELQ8CHECK::showFindings(check.rows(), tab,
                                    [&check](const CheckResultRow &row) { return check.explain(row); });
    return status;
}
