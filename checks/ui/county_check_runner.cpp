#include "checks/ui/county_check_runner.h"

#include "checks/ui/check_progress.h"
#include "checks/ui/check_window.h"
#include "ui/messages.h"

#include <QWidget>

CountyCheck::Status runCountyCheck(QWidget *tab, const CachedDataset &rows, int year, int month,
                                   QLabel *labDEL1, QProgressBar *gdeDel1, QWidget *yearEdit,
                                   const QString &connectionName)
{
    CheckProgress display(labDEL1, gdeDel1);
    Messages &messages = Messages::current();

    CountyCheck check(connectionName);
    CountyCheck::Status status = check.prepare(rows, year, month);
    if (status == CountyCheck::Status::NoRows)
        return status;
    if (status == CountyCheck::Status::PeriodIncomplete) {
        messages.warning(QStringLiteral("請輸入欲檢核之年月資料!!!"), tab);
        if (yearEdit)
            yearEdit->setFocus();
        return status;
    }

    display.start();
    status = check.evaluate([&display](int k, int n) { display.step(k, n); });
    if (status == CountyCheck::Status::DatabaseError)
        messages.error(check.errorText(), tab);
    else
        TfmVELQ8CHECK::showFindings(check.rows(), tab,
                                    [&check](const CheckResultRow &row) { return check.explain(row); });
    return status;
}
