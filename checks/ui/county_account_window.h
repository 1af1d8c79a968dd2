#pragma once

#include "checks/ui/account_browse_window.h"

// TfmVELQHCACNO, "銀行縣市別營運科目基本資料": the county accounts of HCACNO in
// ascending ACC_CODE.
class TfmVELQHCACNO : public AccountBrowseWindow
{
    Q_OBJECT
public:
    explicit TfmVELQHCACNO(QWidget *parent = nullptr)
        : AccountBrowseWindow({QStringLiteral("TfmVELQHCACNO"), QStringLiteral("銀行縣市別營運科目基本資料"),
                               QStringLiteral("SELECT * FROM HCACNO order by ACC_CODE")},
                              parent)
    {
    }
};
