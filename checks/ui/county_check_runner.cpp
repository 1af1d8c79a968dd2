#include "checks/ui/county_check_runner.h"

#include "checks/ui/check_runner.h"

CountyCheck::Status runCountyCheck(QWidget *tab, const CachedDataset &rows, int year, int month,
                                   QLabel *labDEL1, QProgressBar *gdeDel1, QWidget *yearEdit,
                                   const QString &connectionName)
{
    CountyCheck check(connectionName);
    check.setRows(&rows);
    return runMonthCheck(tab, check, year, month, {labDEL1, gdeDel1, yearEdit});
}
