#include "entry/record_toolbar.h"

#include "ui/messages.h"
#include "ui/shell.h"
#include "db/cached_dataset.h"
#include "db/record_save.h"
#include "ui/period_spin_edit.h"
#include "ui/record_grid.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace {
const QString Hint5 = QStringLiteral("功能鍵-F5");
const QString RightClickHint = QStringLiteral("請按右鍵選擇 ");
} // namespace

RecordToolbar::RecordToolbar(const Naming &naming, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("RecordToolbar") + naming.suffix);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    const QString &s = naming.suffix;
    makeButton(First, QStringLiteral("sbFirst") + s, QStringLiteral("首筆"), {});
    makeButton(Last, QStringLiteral("sbLast") + s, QStringLiteral("末筆"), {});
    makeButton(Prior, QStringLiteral("sbPrior") + s, QStringLiteral("前筆"), {});
    makeButton(Next, QStringLiteral("sbNext") + s, QStringLiteral("後筆"), {});
    makeButton(Query, QStringLiteral("sbQuery") + s, QStringLiteral("查詢"), QStringLiteral("功能鍵-F7"));
    makeButton(Add, QStringLiteral("sbAdd") + s, QStringLiteral("新增"), QStringLiteral("功能鍵-F2"));
    makeButton(Edit, QStringLiteral("sbEdit") + s, QStringLiteral("修改"), QStringLiteral("功能鍵-F3"));
    makeButton(Del, naming.deleteName + s, QStringLiteral("刪除"),
               naming.deleteHint ? QStringLiteral("功能鍵-F4") : QString());
    makeButton(Post, QStringLiteral("sbPost") + s, QStringLiteral("存檔"), Hint5);
    makeButton(Cancel, QStringLiteral("sbCancel") + s, QStringLiteral("放棄"), QStringLiteral("功能鍵-F6"));
    makeButton(Exit, QStringLiteral("sbExit") + s, QStringLiteral("離開"), {});
    makeButton(Clear, QStringLiteral("sbClear") + s, QStringLiteral("清畫面"), RightClickHint);
    if (naming.hasCheck)
        makeButton(Check, QStringLiteral("sbCheck") + s, QStringLiteral("檢核"), RightClickHint);
    makeButton(Import, naming.importName + s, QStringLiteral("匯入"),
               naming.importHint ? Hint5 : QString());
    layout->addStretch(1);
    disableAll();
}

QAbstractButton *RecordToolbar::makeButton(Button which, const QString &name,
                                           const QString &caption, const QString &hint)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    layout()->addWidget(button);
    m_buttons[which] = button;
    connect(button, &QAbstractButton::clicked, this, [this, which] {
        emit buttonClicked(which);
        if (m_actions[which])
            m_actions[which]();
    });
    return button;
}

void RecordToolbar::setAction(Button which, std::function<void()> action)
{
    m_actions[which] = std::move(action);
    if (!m_actions[which] && m_buttons[which])
        m_buttons[which]->setEnabled(false);
}

void RecordToolbar::setButtonEnabled(Button which, bool enabled)
{
    if (m_buttons[which])
        m_buttons[which]->setEnabled(enabled && bool(m_actions[which]));
}

void RecordToolbar::setButtonsEnabled(std::initializer_list<Button> which, bool enabled)
{
    for (Button b : which)
        setButtonEnabled(b, enabled);
}

void RecordToolbar::disableAll()
{
    for (QAbstractButton *button : m_buttons) {
        if (button)
            button->setEnabled(false);
    }
}

void RecordToolbar::bind(const Binding &binding)
{
    Q_ASSERT(binding.shell && binding.dataset && binding.grid && binding.year && binding.month);
    m_binding = binding;
    m_bound = true;
    setAction(First, [this] { navigate(First); });
    setAction(Last, [this] { navigate(Last); });
    setAction(Prior, [this] { navigate(Prior); });
    setAction(Next, [this] { navigate(Next); });
    setAction(Post, [this] { save(); });
    setAction(Cancel, [this] { discard(); });
    setAction(Clear, [this] { clear(); });
    setAction(Exit, [this] { exit(); });
    if (binding.periodRule) {
        PeriodSpinEdit *year = binding.year;
        PeriodSpinEdit *month = binding.month;
        connect(year, &PeriodSpinEdit::changed, this, [this, year] { applyPeriodRule(year); });
        connect(month, &PeriodSpinEdit::changed, this, [this, month] { applyPeriodRule(month); });
    }
}

int RecordToolbar::year() const
{
    return m_bound ? m_binding.year->number() : 0;
}

int RecordToolbar::month() const
{
    return m_bound ? m_binding.month->number() : 0;
}

void RecordToolbar::zeroEmptyPeriod()
{
    if (!m_bound)
        return;
    if (m_binding.year->isTextEmpty())
        m_binding.year->setEditText(QStringLiteral("0"));
    if (m_binding.month->isTextEmpty())
        m_binding.month->setEditText(QStringLiteral("0"));
}

void RecordToolbar::refresh()
{
    if (!m_bound)
        return;
    Shell &shell = *m_binding.shell;
    CachedDataset &dataset = *m_binding.dataset;
    const EditMode mode = shell.editMode();
    const bool browse = mode == EditMode::Browse;

    m_binding.grid->setEditing(!browse);
    if (browse) {
        shell.setStatusText(QStringLiteral("Ready"));
        for (const QString &field : m_binding.editableFields)
            dataset.setColumnReadOnly(field, true);
    } else {
        shell.setStatusText(mode == EditMode::Modify ? QStringLiteral("修改") : QStringLiteral("新增"));
        dataset.setAllColumnsReadOnly(true);
        for (const QString &field : m_binding.editableFields)
            dataset.setColumnReadOnly(field, false);
    }
    for (PeriodSpinEdit *edit : {m_binding.year, m_binding.month}) {
        if (m_binding.periodReadOnly)
            edit->setReadOnly(!browse);
        else
            edit->setEnabled(browse);
    }
    shell.setButtonTabsEnabled(browse);
    if (m_binding.buttonStates)
        m_binding.buttonStates();
    else
        refreshButtons(browse);
    emit refreshed();
}

void RecordToolbar::refreshButtons(bool browse)
{
    const CachedDataset &dataset = *m_binding.dataset;
    const bool rows = dataset.isOpen() && !dataset.isEmpty();
    setButtonsEnabled({First, Last, Next, Prior}, rows);
    setButtonsEnabled({Edit, Del}, rows && browse);
    setButtonsEnabled({Query, Add, Clear, Exit, Check, Import}, browse);
    setButtonsEnabled({Post, Cancel}, !browse);
}

void RecordToolbar::startState()
{
    setButtonsEnabled({First, Last, Prior, Next, Edit, Del, Post, Cancel, Check}, false);
    if (m_bound)
        m_binding.dataset->setAllColumnsReadOnly(true);
}

void RecordToolbar::closedState()
{
    if (m_bound)
        m_binding.dataset->close();
    setButtonsEnabled({First, Last, Prior, Next, Edit, Del, Post, Cancel, Check}, false);
    setButtonsEnabled({Query, Add}, true);
}

void RecordToolbar::navigate(Button which)
{
    if (!m_bound || !m_binding.dataset->isOpen())
        return;
    CachedDataset &dataset = *m_binding.dataset;
    // A value being typed belongs to the row the cursor leaves; a refused one
    // keeps the cursor in its cell.
    if (!m_binding.grid->settleEditor())
        return;
    switch (which) {
    case First:
        if (!dataset.bof())
            dataset.first();
        break;
    case Prior:
        if (!dataset.bof())
            dataset.prior();
        break;
    case Next:
        if (!dataset.eof())
            dataset.next();
        break;
    case Last:
        if (!dataset.eof())
            dataset.last();
        break;
    default:
        break;
    }
}

void RecordToolbar::query(const std::function<std::optional<bool>()> &monthQuery)
{
    if (!m_bound)
        return;
    zeroEmptyPeriod();
    const std::optional<bool> rows = monthQuery();
    refresh();
    if (!rows)
        return;
    if (!*rows) {
        Messages::current().warning(QStringLiteral("查無任何符合資料!!!"), window());
        return;
    }
    m_binding.grid->setFocus(Qt::OtherFocusReason);
}

bool RecordToolbar::save()
{
    if (!m_bound)
        return false;
    Shell &shell = *m_binding.shell;
    CachedDataset &dataset = *m_binding.dataset;
    const EditMode mode = shell.editMode();

    // The text being typed in a cell belongs to the row being saved; a refused
    // one is said and nothing is saved, so the user can mend it.
    if (!m_binding.grid->settleEditor())
        return false;
    const std::optional<MonthClaim> month = m_binding.monthClaim ? m_binding.monthClaim() : std::nullopt;
    shell.setEditMode(EditMode::Browse);
    if (dataset.isOpen()) {
        // All rows or none, through the one apply every save takes: it leaves
        // the cache as it was when a statement fails.
        RecordSave save(dataset);
        if (month)
            save.claimMonth(*month);
        if (!save.run()) {
            shell.setEditMode(mode);
            refresh();
            Messages::current().error(save.error(), window());
            return false;
        }
        if (m_binding.rereadAfterSave && !dataset.open())
            Messages::current().error(dataset.lastError(), window());
        dataset.first();
    }
    refresh();
    Messages::current().information(QStringLiteral("存檔成功!!!"), window());
    return true;
}

bool RecordToolbar::discard()
{
    if (!m_bound)
        return false;
    if (!Messages::current().question(QStringLiteral("是否確定放棄!!!"), window()))
        return false;
    CachedDataset &dataset = *m_binding.dataset;
    // Out of editing before the rows change: a cell editor opened as a removed
    // row moves the cursor would take the focus while the rows are reset.
    m_binding.grid->setEditing(false);
    m_binding.shell->setEditMode(EditMode::Browse);
    if (dataset.isOpen()) {
        if (dataset.isEditing())
            dataset.cancel();
        dataset.cancelUpdates();
    }
    m_binding.grid->viewport()->update();
    refresh();
    return true;
}

void RecordToolbar::clear()
{
    if (!m_bound)
        return;
    m_binding.year->clearText();
    m_binding.month->clearText();
    m_binding.dataset->close();
    refresh();
}

void RecordToolbar::exit()
{
    if (m_bound)
        m_binding.shell->requestClose();
}

void RecordToolbar::applyPeriodRule(PeriodSpinEdit *edit)
{
    if (!m_bound || m_inPeriodRule)
        return;
    const QString text = edit->editText();
    if (text.isEmpty())
        return;
    bool whole = false;
    const int number = text.toInt(&whole);
    if (!whole)
        return;
    m_inPeriodRule = true;
    if (edit == m_binding.year && number >= 1000)
        edit->setEditText(QStringLiteral("999"));
    else if (edit == m_binding.month && number >= 13)
        edit->setEditText(QStringLiteral("12"));
    m_inPeriodRule = false;
    closedState();
}
