#include "reference/ui/county_window.h"

#include "db/reference_lists.h"

namespace {

MaintenanceWindow::Spec countySpec()
{
    MaintenanceWindow::Spec spec;
    spec.className = QStringLiteral("TfmCD01");
    spec.caption = QStringLiteral("縣市別基本資料維護");
    spec.gridName = QStringLiteral("dbgeCD01");
    spec.table = QStringLiteral("CD01");
    spec.codeField = QStringLiteral("HSIEN_ID");
    spec.nameField = QStringLiteral("HSIEN_NAME");
    spec.codeTitle = QStringLiteral("縣市別代號 ");
    spec.nameTitle = QStringLiteral("縣市別名稱");
    spec.codeWidth = 90;
    spec.nameWidth = 160;
    spec.usage = ReferenceUsage::Kind::County;
    spec.emptyTableDisablesEdit = false;
    spec.focusNameOnEmptyCode = false;
    spec.focusCodeOfNextRow = false;
    spec.refreshAfterDelete = false;
    return spec;
}

} // namespace

TfmCD01::TfmCD01(ReferenceLists &references, EditMode &state, QWidget *parent)
    : MaintenanceWindow(countySpec(), references.qryCD01(), EditState::keptIn(state), parent)
    , m_references(references)
{
}

void TfmCD01::beforeExit()
{
    m_references.refreshCounties();
}
