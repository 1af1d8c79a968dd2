#include "reference/ui/maintenance_window.h"

#include "db/cached_dataset.h"
#include "reference/reference_key.h"
#include "reference/ui/checked_text_delegate.h"
#include "reference/ui/maintenance_grid.h"
#include "ui/messages.h"
#include "ui/navigation_buttons.h"
#include "ui/record_form_ui.h"
#include "ui/status_panels.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

MaintenanceWindow::MaintenanceWindow(const Spec &spec, CachedDataset &dataset, EditState editState,
                                     QWidget *parent)
    : QDialog(parent), m_spec(spec), m_dataset(dataset), m_state(std::move(editState)), m_loan(dataset)
{
    setObjectName(spec.className);
    setWindowTitle(spec.caption);
    setModal(true);

    m_loan.show({spec.codeField, spec.nameField}, {spec.codeTitle, spec.nameTitle});
    RecordEditor::DuplicateRule duplicates{{spec.codeField}, [this](QString *error) {
        return ReferenceKey::isStored(m_spec.table, m_spec.codeField, currentCode(), error);
    }};
    m_editor = std::make_unique<RecordEditor>(dataset, static_cast<RecordForm &>(*this), std::move(duplicates));
    m_loan.setPostGuard([this] { return m_editor->duplicateGuard(); });

    m_grid = new MaintenanceGrid(spec.gridName, this);
    m_grid->setDataset(&dataset);
    m_grid->setItemDelegate(new CheckedTextDelegate([this](const QString &reason) { cellRefused(reason); }, m_grid));
    m_grid->setColumnWidth(CodeColumn, spec.codeWidth);
    m_grid->setColumnWidth(NameColumn, spec.nameWidth);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 8);
    m_grid->setKeyHandler([this](int key, int column) { return gridKey(key, column); });
    m_grid->setRowLock([this] { return state() != EditMode::Browse; });
    connect(m_grid, &QAbstractItemView::clicked, this, [this] {
        if (state() == EditMode::Browse && m_dataset.state() == CachedDataset::State::Browse)
            FreshArrow();
    });

    m_navigation = new NavigationButtons(this);
    m_navigation->setDataset(&dataset);
    connect(m_navigation, &NavigationButtons::moved, this, [this] { FreshState(); });
    m_sbAdd = makeButton("sbAdd", QStringLiteral("新增"), QStringLiteral("功能鍵-F2"), &MaintenanceWindow::sbAddClick);
    m_sbEdit = makeButton("sbEdit", QStringLiteral("修改"), QStringLiteral("功能鍵-F3"), &MaintenanceWindow::sbEditClick);
    m_sbDel = makeButton("sbDel", QStringLiteral("刪除"), QStringLiteral("功能鍵-F4"), &MaintenanceWindow::sbDelClick);
    m_sbExit = makeButton("sbExit", QStringLiteral("離開"), {}, &MaintenanceWindow::sbExitClick);
    m_sbPost = makeButton("sbPost", QStringLiteral("存檔"), QStringLiteral("功能鍵-F5"), &MaintenanceWindow::sbPostClick);
    m_sbCancel = makeButton("sbCancel", QStringLiteral("放棄"), QStringLiteral("功能鍵-F6"),
                            &MaintenanceWindow::sbCancelClick);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    for (QPushButton *b : m_navigation->buttons())
        buttons->addWidget(b);
    for (QPushButton *b : {m_sbAdd, m_sbEdit, m_sbDel, m_sbExit, m_sbPost, m_sbCancel})
        buttons->addWidget(b);
    buttons->addStretch(1);
    m_status = new StatusPanels(QStringLiteral("StatusBar1"), this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_status);

    open();

    resize(720, 480);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

MaintenanceWindow::~MaintenanceWindow()
{
    // A window that goes without being closed leaves no half-made change behind
    // in a dataset it may only have borrowed.
    if (state() != EditMode::Browse || m_dataset.hasPendingUpdates())
        discardChanges();
}

QPushButton *MaintenanceWindow::makeButton(const char *name, const QString &caption, const QString &hint,
                                           void (MaintenanceWindow::*click)())
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, click);
    return button;
}

QString MaintenanceWindow::statusText() const { return m_status->text(0); }

void MaintenanceWindow::open()
{
    if (!m_dataset.isOpen() && !m_dataset.open())
        Messages::current().error(m_dataset.lastError(), this);
    FreshState();
    if (m_spec.emptyTableDisablesEdit) {
        m_sbEdit->setEnabled(!m_dataset.isEmpty());
        m_sbDel->setEnabled(!m_dataset.isEmpty());
    }
    if (!m_dataset.isOpen())
        return;
    m_dataset.first();
    // A dataset that was open already (qryCD01) does not move: the grid is put on its row.
    if (m_dataset.currentRow() >= 0)
        m_grid->selectRow(m_dataset.currentRow());
}

// Button states -------------------------------------------------------------------

void MaintenanceWindow::FreshState()
{
    FreshNavigator();
    freshGridState();
}

void MaintenanceWindow::FreshNavigator()
{
    const bool browsing = state() == EditMode::Browse;
    m_sbPost->setEnabled(!browsing);
    m_sbCancel->setEnabled(!browsing);
    m_sbAdd->setEnabled(browsing);
    m_sbExit->setEnabled(browsing);
    if (browsing && m_dataset.isOpen())
        FreshArrow();
    else
        DisableArrow();
}

void MaintenanceWindow::FreshArrow()
{
    m_navigation->refresh();
    m_sbEdit->setEnabled(true);
    m_sbDel->setEnabled(true);
}

void MaintenanceWindow::DisableArrow()
{
    m_navigation->setAllEnabled(false);
    m_sbEdit->setEnabled(false);
    m_sbDel->setEnabled(false);
}

void MaintenanceWindow::freshGridState()
{
    const EditMode mode = state();
    m_status->setAction(mode == EditMode::Modify ? QStringLiteral("修改")
                        : mode == EditMode::Add  ? QStringLiteral("新增")
                                                 : QStringLiteral("Ready"));
    m_dataset.setColumnReadOnly(m_spec.codeField, mode != EditMode::Add);
    m_dataset.setColumnReadOnly(m_spec.nameField, mode == EditMode::Browse);
    m_grid->setEditing(mode != EditMode::Browse);
}

// Buttons ---------------------------------------------------------------------------

void MaintenanceWindow::sbAddClick()
{
    if (!m_dataset.isOpen() || !m_dataset.append())
        return;
    setState(EditMode::Add);
    FreshState();
    m_grid->focusColumn(CodeColumn);
}

void MaintenanceWindow::sbEditClick()
{
    // On an empty table (where a navigation action enabled it) there is no row.
    if (m_dataset.currentRow() < 0)
        return;
    setState(EditMode::Modify);
    m_dataset.edit();
    FreshState();
    m_grid->focusColumn(NameColumn);
}

void MaintenanceWindow::sbPostClick()
{
    m_editor->save();
}

void MaintenanceWindow::sbCancelClick()
{
    discardChanges();
    FreshState();
}

void MaintenanceWindow::sbDelClick()
{
    if (m_dataset.currentRow() < 0)
        return;
    Messages &messages = Messages::current();
    m_status->setAction(QStringLiteral("刪除"));
    const QString code = currentCode();
    QList<ReferenceUsage::Use> uses;
    QString error;
    if (!ReferenceUsage::count(m_spec.usage, code, &uses, &error)) {
        messages.error(error, this);
    } else if (!uses.isEmpty()) {
        messages.warning(ReferenceUsage::refusal(m_spec.usage, code, uses), this);
    } else {
        m_editor->remove(QStringLiteral("確定要刪除嗎 ???"));
    }
    if (m_spec.refreshAfterDelete)
        FreshState();
    m_status->setAction(QStringLiteral("Ready"));
}

void MaintenanceWindow::sbExitClick()
{
    beforeExit();
    accept();
}

void MaintenanceWindow::reject()
{
    if (state() != EditMode::Browse) {
        if (!Messages::current().question(QStringLiteral("是否確定放棄!!!"), this))
            return;
        discardChanges();
    }
    QDialog::reject();
}

void MaintenanceWindow::discardChanges()
{
    m_grid->revertEditor();
    // The grid stays held on its row until the appended row is gone: removing it
    // moves the view's current index, which must not move the dataset meanwhile.
    m_dataset.cancel();
    m_dataset.cancelUpdates();
    setState(EditMode::Browse);
}

// Rows and cells --------------------------------------------------------------------

QString MaintenanceWindow::currentCode() const
{
    return m_dataset.currentRow() < 0 ? QString() : m_dataset.value(m_spec.codeField).toString().trimmed();
}

// The window as the record editor's form ------------------------------------------

RecordForm::Mode MaintenanceWindow::mode() const
{
    return RecordFormUi::formMode(state());
}

void MaintenanceWindow::setMode(Mode mode)
{
    setState(RecordFormUi::editMode(mode));
}

void MaintenanceWindow::refused(Refusal why)
{
    switch (why) {
    case Refusal::Input:
        if (m_spec.focusNameOnEmptyCode)
            m_grid->focusColumn(NameColumn);
        break;
    case Refusal::Duplicate:
        m_grid->focusColumn(m_dataset.state() == CachedDataset::State::Insert ? CodeColumn : NameColumn);
        break;
    case Refusal::Engine:
        m_grid->focusColumn(NameColumn);
        break;
    }
}

bool MaintenanceWindow::openNextRow()
{
    // Rows are entered one after another until "放棄".
    if (!m_dataset.append())
        return false;
    setState(EditMode::Add);
    FreshState();
    if (m_spec.focusCodeOfNextRow)
        m_grid->focusColumn(CodeColumn);
    return true;
}

void MaintenanceWindow::say(Tone tone, const QString &text)
{
    RecordFormUi::say(tone, text, this);
}

bool MaintenanceWindow::confirm(const QString &question)
{
    return Messages::current().confirm(question, this);
}

bool MaintenanceWindow::gridKey(int key, int column)
{
    if (column == CodeColumn) {
        if (commitCell())
            m_grid->focusColumn(NameColumn);
        return true;
    }
    if (column != NameColumn)
        return false;
    if (key != Qt::Key_Tab && state() == EditMode::Add) {
        m_sbPost->click();
        return true;
    }
    if (commitCell())
        m_grid->focusColumn(CodeColumn);
    return true;
}

bool MaintenanceWindow::commitCell()
{
    auto *editor = qobject_cast<QLineEdit *>(m_grid->openEditor());
    const QString typed = editor ? editor->text() : QString();
    m_refusal.clear();
    m_committing = true;
    m_grid->commitEditor();
    m_committing = false;
    if (m_refusal.isEmpty())
        return true;
    Messages::current().warning(m_refusal, this);
    // The cell opens again with what was typed, so that it is mended, not lost:
    // a save now would otherwise store the row without it.
    m_grid->focusColumn(m_grid->currentIndex().isValid() ? m_grid->currentIndex().column() : NameColumn);
    if (auto *reopened = qobject_cast<QLineEdit *>(m_grid->openEditor()))
        reopened->setText(typed);
    return false;
}

void MaintenanceWindow::cellRefused(const QString &reason)
{
    if (m_committing) {
        m_refusal = reason;
        return;
    }
    // Written by a focus change: said once the change is over.
    QTimer::singleShot(0, this, [this, reason] { Messages::current().warning(reason, this); });
}
