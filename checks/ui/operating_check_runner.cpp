#include "checks/ui/operating_check_runner.h"

#include "common/period.h"
#include "checks/ui/check_runner.h"

OperatingCheck::Status runOperatingCheck(QWidget *tab, int year, int month, const QString &bankCode,
                                         QLabel *labDEL, QProgressBar *gdeDEL,
                                         const std::function<void()> &queryStep, QWidget *yearEdit,
                                         const QString &connectionName)
{
    // The tab's own query re-reads its grid before the check reads the month;
    // an incomplete period is refused before either.
    if (queryStep && Period{year, month}.isComplete())
        queryStep();
    OperatingCheck check(connectionName);
    check.setBankCode(bankCode);
    return runMonthCheck(tab, check, year, month, {labDEL, gdeDEL, yearEdit});
}
