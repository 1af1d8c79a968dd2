#pragma once

#include "checks/ui/account_browse_window.h"

// TfmVELQCACNO, "營運科目基本資料": the operating accounts of CACNO in the
// table's stored order.
class TfmVELQCACNO : public AccountBrowseWindow
{
    Q_OBJECT
public:
    explicit TfmVELQCACNO(QWidget *parent = nullptr)
        : AccountBrowseWindow({QStringLiteral("TfmVELQCACNO"), QStringLiteral("營運科目基本資料"),
                               QStringLiteral("SELECT * FROM CACNO order by rowid")},
                              parent)
    {
    }
};
