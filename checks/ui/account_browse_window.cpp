#include "checks/ui/account_browse_window.h"

#include "checks/ui/browse_grid.h"
#include "db/cached_dataset.h"
#include "db/database.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

AccountBrowseWindow::AccountBrowseWindow(const Spec &spec, QWidget *parent)
    : BrowseWindow(spec.className, spec.caption, parent)
{
    m_accounts = new CachedDataset(Database::connectionName(), this);
    m_accounts->setObjectName(QStringLiteral("qryCACNO"));
    m_accounts->setSql(spec.statement);
    m_accounts->setColumns({QStringLiteral("ACC_CODE"), QStringLiteral("ACC_NAME"), QStringLiteral("ACC_B_NAME")});
    m_accounts->setColumnTitle(QStringLiteral("ACC_CODE"), QStringLiteral("科目代碼"));
    m_accounts->setColumnTitle(QStringLiteral("ACC_NAME"), QStringLiteral("科           目          名           稱"));
    m_accounts->setColumnTitle(QStringLiteral("ACC_B_NAME"), QStringLiteral("科    目    簡    稱"));
    m_accounts->setAllColumnsReadOnly(true);

    m_grid = new BrowseGrid(QStringLiteral("DBGridExt1"), m_accounts, this);
    m_grid->setColumnWidths({CodeWidth, NameWidth, ShortNameWidth});
    body()->addWidget(m_grid);

    openNavigated(m_accounts);

    resize(CodeWidth + NameWidth + ShortNameWidth + 90, 560);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
