#pragma once

#include "checks/ui/browse_window.h"

class BrowseGrid;
class CachedDataset;

// The browse window of one account table (TfmVELQCACNO, TfmVELQHCACNO): one grid
// (DBGridExt1) of the account codes with their names and short names, centred on
// the screen. UACNO and DACNO are read but not shown.
class AccountBrowseWindow : public BrowseWindow
{
    Q_OBJECT
public:
    struct Spec
    {
        QString className;   // "TfmVELQCACNO"
        QString caption;     // "營運科目基本資料"
        QString statement;   // "SELECT * FROM CACNO order by rowid"
    };

    static constexpr int CodeWidth = 70;
    static constexpr int NameWidth = 320;
    static constexpr int ShortNameWidth = 170;

    AccountBrowseWindow(const Spec &spec, QWidget *parent = nullptr);

    CachedDataset *accounts() const { return m_accounts; }

private:
    CachedDataset *m_accounts = nullptr;
    BrowseGrid *m_grid = nullptr;
};
