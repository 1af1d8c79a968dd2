#include "reference/ui/institution_window.h"

#include "db/cached_dataset.h"
#include "db/database.h"

namespace {

CachedDataset &makeQryBN01()
{
    auto *dataset = new CachedDataset(Database::connectionName());
    dataset->setObjectName(QStringLiteral("qryBN01"));
    dataset->setSql(QStringLiteral("SELECT BANK_NO,BANK_NAME from BN01 order by rowid"));
    // The widths of BN01's fields, and statements that touch only the two fields
    // shown (the table's generic ones would empty the others).
    dataset->setUpdateTable(QStringLiteral("BN01"));
    dataset->setUpdateSql({QStringLiteral("insert into BN01 (BANK_NO, BANK_NAME) values (:BANK_NO, :BANK_NAME)"),
                           // A row is found as it was read: a name another user changed
                           // meanwhile is not overwritten (nor its row deleted) unseen.
                           QStringLiteral("update BN01 set BANK_NO = :BANK_NO, BANK_NAME = :BANK_NAME "
                                          "where BANK_NO = :OLD_BANK_NO and coalesce(BANK_NAME, '') = :OLD_BANK_NAME"),
                           QStringLiteral("delete from BN01 where BANK_NO = :OLD_BANK_NO "
                                          "and coalesce(BANK_NAME, '') = :OLD_BANK_NAME")});
    return *dataset;
}

MaintenanceWindow::Spec institutionSpec()
{
    MaintenanceWindow::Spec spec;
    spec.className = QStringLiteral("TfmVELQBN01");
    spec.caption = QStringLiteral("金融機構基本資料維護");
    spec.gridName = QStringLiteral("dbgeBN01");
    spec.table = QStringLiteral("BN01");
    spec.codeField = QStringLiteral("BANK_NO");
    spec.nameField = QStringLiteral("BANK_NAME");
    spec.codeTitle = QStringLiteral("金融機構代碼");
    spec.nameTitle = QStringLiteral("金融機構名稱");
    spec.codeWidth = 110;
    spec.nameWidth = 300;
    spec.usage = ReferenceUsage::Kind::Institution;
    return spec;
}

} // namespace

TfmVELQBN01::TfmVELQBN01(Shell &shell, QWidget *parent)
    : MaintenanceWindow(institutionSpec(), makeQryBN01(), EditState::sharedBy(shell), parent)
{
    // The window's own dataset is its child: it goes after the window has let go of it.
    dataset().setParent(this);
}
