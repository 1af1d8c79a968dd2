#include "app/main_window.h"

#include "app/caps_lock.h"
#include "ui/messages.h"
#include "db/database.h"
#include "db/reference_lists.h"
#include "entry/data_tab.h"
#include "app/main_window_pages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// Ctrl+T arrives as the character with code 20.
bool isCapsLockToggle(const QKeyEvent *key)
{
    return key->key() == Qt::Key_T && (key->modifiers() & Qt::ControlModifier)
        && !(key->modifiers() & (Qt::AltModifier | Qt::ShiftModifier));
}

} // namespace

TfmVELQ8MAIN::TfmVELQ8MAIN(const QDate &today, QWidget *parent)
    : QMainWindow(parent)
    , m_today(today)
{
    setObjectName(QStringLiteral("TfmVELQ8MAIN"));
    setWindowTitle(title());
    resize(1024, 720);
    buildStatusBar();

    // The window sees the keyboard before its controls (Ctrl+T anywhere).
    qApp->installEventFilter(this);

    m_editMode = EditMode::Browse;
    m_importInProgress = false;
    openReferenceData();
    buildPages();

    m_pages->setCurrentIndex(0);
    const int year = today.year() - 1911;
    const int month = today.month();
    for (DataTab *tab : m_dataTabs) {
        tab->setPeriod(year, month);
        tab->startState();
    }
    refreshBankName();
}

TfmVELQ8MAIN::~TfmVELQ8MAIN()
{
    qApp->removeEventFilter(this);
}

void TfmVELQ8MAIN::buildStatusBar()
{
    auto *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    const QStringList texts{QStringLiteral("Ready"), QStringLiteral("Num"), QStringLiteral("Cap"),
                            QStringLiteral("Scrl"), QString()};
    const int widths[] = {250, 50, 50, 50, 50};
    for (int i = 0; i < texts.size(); ++i) {
        auto *panel = new QLabel(texts.at(i), bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(widths[i]);
        bar->addWidget(panel, i == 0 ? 0 : 0);
        m_panels.append(panel);
    }
}

void TfmVELQ8MAIN::openReferenceData()
{
    // The large declaration tables (MPBANK, HMPBANK) are not read into memory at
    // start: the tabs query them by month, and their presence was checked when
    // the database was opened.
    m_references = std::make_unique<ReferenceLists>(QString::fromLatin1(Database::ConnectionName));
    if (!m_references->open())
        Messages::current().error(m_references->errors().join(u'\n'), this);
}

QPushButton *TfmVELQ8MAIN::addDialogButton(const QString &objectName, const QString &caption,
                                           std::function<void()> open)
{
    auto *button = new QPushButton(caption);
    button->setObjectName(objectName);
    button->setMinimumHeight(36);
    if (open)
        connect(button, &QPushButton::clicked, this, std::move(open));
    else
        button->setEnabled(false);   // its dialog is not built yet
    return button;
}

QWidget *TfmVELQ8MAIN::buildButtonPage(const QString &name, const QList<QPushButton *> &buttons)
{
    auto *page = new QWidget;
    page->setObjectName(name);
    auto *outer = new QHBoxLayout(page);
    auto *column = new QVBoxLayout;
    column->addStretch(1);
    for (QPushButton *b : buttons) {
        b->setParent(page);
        b->setMinimumWidth(360);
        column->addWidget(b);
    }
    column->addStretch(2);
    outer->addStretch(1);
    outer->addLayout(column);
    outer->addStretch(1);
    return page;
}

void TfmVELQ8MAIN::buildPages()
{
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setUsesScrollButtons(false);   // a multi-line page control: every tab visible
    setCentralWidget(m_pages);

    // The five data tabs.
    const MainWindowPages::DataPages dataPages = MainWindowPages::createDataPages(*this, m_pages);
    for (const auto &page : dataPages) {
        m_pages->addTab(page.widget, page.caption);
        m_dataTabs.append(page.tab);
        m_dataPages.insert(page.kind, page.widget);
    }

    const MainWindowPages::Dialogs dialogs = MainWindowPages::dialogs(*this);
    auto opener = [&](const QString &name) { return dialogs.value(name); };

    m_maintenancePage = buildButtonPage(QStringLiteral("TabSheet6"), {
        addDialogButton(QStringLiteral("btnCACNO"), QStringLiteral("營運科目資料瀏覽"), opener(QStringLiteral("TfmVELQCACNO"))),
        addDialogButton(QStringLiteral("btnRules"), QStringLiteral("營運科目公式資料瀏覽"), opener(QStringLiteral("TfmVELQRules"))),
        addDialogButton(QStringLiteral("btnHCACNO"), QStringLiteral("銀行縣市別營運科目資料瀏覽"), opener(QStringLiteral("TfmVELQHCACNO"))),
        addDialogButton(QStringLiteral("btnHRules"), QStringLiteral("銀行縣市別營運科目公式資料瀏覽"), opener(QStringLiteral("TfmVELQHRules"))),
        addDialogButton(QStringLiteral("btnCD01"), QStringLiteral("縣市別資料 "), opener(QStringLiteral("TfmCD01"))),
        addDialogButton(QStringLiteral("btnBN01"), QStringLiteral("金融機構資料 "), opener(QStringLiteral("TfmVELQBN01"))),
        addDialogButton(QStringLiteral("Button6"), QStringLiteral("資料匯出"), opener(QStringLiteral("TfmVELQ8EXIT"))),
        addDialogButton(QStringLiteral("btnExportLog"), QStringLiteral("匯出紀錄"), opener(QStringLiteral("TfmExportLog"))),
    });
    m_pages->addTab(m_maintenancePage, QStringLiteral("基本資料維護"));

    m_reportPage = buildButtonPage(QStringLiteral("TabSheet7"), {
        addDialogButton(QStringLiteral("btnREPA"), QStringLiteral("營運資料明細表"), opener(QStringLiteral("TfmVELQ8REPA"))),
        addDialogButton(QStringLiteral("btnREPB"), QStringLiteral("各營業單位逾期放款比率表"), opener(QStringLiteral("TfmVELQ8REPB"))),
        addDialogButton(QStringLiteral("btnREPC"), QStringLiteral("兼營票券利率業務統計表"), opener(QStringLiteral("TfmVELQ8REPC"))),
        addDialogButton(QStringLiteral("btnREPD"), QStringLiteral("兼營票券交易業務統計表"), opener(QStringLiteral("TfmVELQ8REPD"))),
        addDialogButton(QStringLiteral("btnREPI"), QStringLiteral("銀行縣市別營運資料表"), opener(QStringLiteral("TfmVELQ8REPI"))),
        addDialogButton(QStringLiteral("btnREPH"), QStringLiteral("營運資料明細檢核表"), opener(QStringLiteral("TfmVELQ8REPH"))),
        addDialogButton(QStringLiteral("btnREPJ"), QStringLiteral("銀行縣市別資料明細檢核表"), opener(QStringLiteral("TfmVELQ8REPJ"))),
    });
    m_pages->addTab(m_reportPage, QStringLiteral("統計報表列印 "));
}

QString TfmVELQ8MAIN::declaringBankCode()
{
    return m_references->declaringBankCode();
}

QString TfmVELQ8MAIN::declaringBankName()
{
    return m_references->declaringBankName();
}

void TfmVELQ8MAIN::refreshBankName()
{
    m_references->refreshInstitutions();
    const QString name = declaringBankName();
    for (DataTab *tab : m_dataTabs)
        tab->setBankName(name);
}

void TfmVELQ8MAIN::setStatusText(const QString &text) { m_panels.at(0)->setText(text); }

QString TfmVELQ8MAIN::statusText(int panel) const
{
    return panel >= 0 && panel < m_panels.size() ? m_panels.at(panel)->text() : QString();
}

void TfmVELQ8MAIN::setButtonTabsEnabled(bool enabled)
{
    m_pages->setTabEnabled(m_pages->indexOf(m_maintenancePage), enabled);
    m_pages->setTabEnabled(m_pages->indexOf(m_reportPage), enabled);
}

void TfmVELQ8MAIN::setDataPagesEnabled(const QList<DeclarationKind::Id> &kinds, bool enabled)
{
    // The page's contents: its tab can still be chosen and looked at.
    for (DeclarationKind::Id kind : kinds) {
        if (QWidget *page = m_dataPages.value(kind))
            page->setEnabled(enabled);
    }
}

void TfmVELQ8MAIN::toggleCapsLock()
{
    const bool on = CapsLock::toggle();
    m_panels.at(2)->setText(on ? QStringLiteral("大寫") : QStringLiteral("小寫"));
}

bool TfmVELQ8MAIN::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isActiveWindow()) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (isCapsLockToggle(key)) {
            toggleCapsLock();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfmVELQ8MAIN::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_focusGiven) {
        m_focusGiven = true;
        if (auto *year = findChild<QWidget *>(QStringLiteral("seYYY")))
            year->setFocus();
    }
}

bool TfmVELQ8MAIN::saveTabsOnClose()
{
    for (DataTab *tab : m_dataTabs) {
        if (!tab->saveOnClose())
            return false;
    }
    return true;
}

void TfmVELQ8MAIN::closeEvent(QCloseEvent *event)
{
    if (!Messages::current().confirm(QStringLiteral("是否確定要離開系統嗎?"), this)) {
        event->ignore();
        return;
    }
    if (!saveTabsOnClose()) {
        event->ignore();
        return;
    }
    event->accept();
}
