#include "entry/month_tab.h"

#include "db/cached_dataset.h"
#include "db/change_operation.h"
#include "db/chunked_delete.h"
#include "db/database.h"
#include "db/named_placeholders.h"
#include "db/record_save.h"
#include "db/stored_rows.h"
#include "db/write_transaction.h"
#include "entry/amount_limit.h"
#include "ui/messages.h"
#include "ui/period_spin_edit.h"
#include "ui/record_grid.h"
#include "ui/shell.h"

#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QSplitter>
#include <limits>

namespace {

const QString MessageWrongPeriod = QStringLiteral("請輸入正確之申報年月資料!!!");

// The gauge follows every deletion but is painted only once a delete has
// lasted long enough to be seen (a month of some hundred rows goes in a few
// milliseconds, less than one paint of the window under the gauge takes),
// then at most once a frame, which is all an eye can follow and keeps the
// loop from waiting on the screen.
constexpr int GaugeFirstPaintMs = 100;
constexpr int GaugeFrameMs = 16;

} // namespace

MonthTab::MonthTab(Shell &shell, MonthTabDescription description, QWidget *parent)
    : DataTabPage(shell, description.kind, parent), m_description(std::move(description))
{
    buildDataset();
    buildGrid();
    buildDeleteProgress();
    bindToolbar();
}

void MonthTab::buildDataset()
{
    m_dataset = makeDataset(m_description.columns);
}

void MonthTab::buildGrid()
{
    m_grid = new RecordGrid(m_description.gridName, this);
    m_grid->setDataset(m_dataset);
    m_grid->setAdvanceColumns(m_description.advanceColumns);
    m_editColumn = -1;
    // Narrow columns (the county tab's month is 25 pixels) keep their width.
    for (const MonthTabDescription::Column &column : m_description.columns) {
        QHeaderView *header = m_grid->horizontalHeader();
        if (column.width > 0 && column.width < header->minimumSectionSize())
            header->setMinimumSectionSize(column.width);
    }
    for (int i = 0; i < m_description.columns.size(); ++i) {
        const MonthTabDescription::Column &column = m_description.columns.at(i);
        if (column.width > 0)
            m_grid->setColumnWidth(i, column.width);
        if (column.editable && m_editColumn < 0)
            m_editColumn = i;
        if (!column.delegate)
            continue;
        QAbstractItemDelegate *delegate = column.delegate(m_grid);
        // Nothing the export could not write gets into the month.
        AmountLimit::applyTo(delegate, kind(), column.field, *m_dataset);
        m_grid->setItemDelegateForColumn(i, delegate);
    }
    m_editColumn = std::max(m_editColumn, 0);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    // The grid stands in a splitter, so a pane can be put under it.
    m_gridSplitter = new QSplitter(Qt::Vertical, this);
    m_gridSplitter->setObjectName(QStringLiteral("splGrid"));
    m_gridSplitter->setChildrenCollapsible(false);
    m_gridSplitter->addWidget(m_grid);
    setGrid(m_gridSplitter);
}

void MonthTab::setLiveCheck(QWidget *statusPanel, QWidget *pane)
{
    headerLayout()->addWidget(statusPanel);
    m_gridSplitter->addWidget(pane);
    m_gridSplitter->setStretchFactor(0, 3);
    m_gridSplitter->setStretchFactor(1, 2);
}

void MonthTab::followEditing()
{
    const bool editing = shell().editMode() != EditMode::Browse && m_dataset->isOpen();
    if (editing == m_editingMonth)
        return;
    m_editingMonth = editing;
    emit monthEditingChanged(editing, period());
}

void MonthTab::buildDeleteProgress()
{
    m_deleteLabel = new QLabel(this);
    m_deleteLabel->setObjectName(m_description.deleteLabelName);
    m_deleteGauge = new QProgressBar(this);
    m_deleteGauge->setObjectName(m_description.deleteGaugeName);
    m_deleteGauge->setRange(0, 100);
    m_deleteGauge->setValue(0);
    m_deleteGauge->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: yellow; }"));
    m_deleteGauge->setMinimumWidth(200);
    m_deleteGauge->hide();
    headerLayout()->addWidget(m_deleteLabel);
    headerLayout()->addWidget(m_deleteGauge);
}

void MonthTab::bindToolbar()
{
    RecordToolbar::Binding binding = toolbarBinding(m_dataset, m_grid);
    for (const MonthTabDescription::Column &column : m_description.columns) {
        if (column.editable)
            binding.editableFields << column.field;
    }
    binding.periodReadOnly = m_description.periodReadOnly;
    binding.rereadAfterSave = m_description.rereadAfterSave;
    if (!m_description.buttonStates.isEmpty())
        binding.buttonStates = [this] { showOwnButtonStates(); };
    binding.monthClaim = [this] { return saveClaim(); };
    toolbar()->bind(binding);
    connect(toolbar(), &RecordToolbar::refreshed, this, &MonthTab::followEditing);
    toolbar()->setAction(RecordToolbar::Query, [this] { query(); });
    toolbar()->setAction(RecordToolbar::Add, [this] { add(); });
    toolbar()->setAction(RecordToolbar::Edit, [this] { modify(); });
    toolbar()->setAction(RecordToolbar::Del, [this] { deleteMonth(); });
    toolbar()->setAction(RecordToolbar::Post, [this] { save(); });
    if (m_description.check)
        setCheckHook([this] { m_description.check(*this); });
    toolbar()->setButtonsEnabled({RecordToolbar::Query, RecordToolbar::Add, RecordToolbar::Exit,
                                  RecordToolbar::Clear},
                                 true);
}

void MonthTab::showOwnButtonStates()
{
    using State = MonthTabDescription::State;
    State state = State::Closed;
    if (shell().editMode() != EditMode::Browse)
        state = State::Editing;
    else if (m_dataset->isOpen())
        state = m_dataset->isEmpty() ? State::Empty : State::Loaded;
    showButtons(state);
}

void MonthTab::showButtons(MonthTabDescription::State state)
{
    const auto it = m_description.buttonStates.constFind(state);
    if (it == m_description.buttonStates.constEnd())
        return;
    for (RecordToolbar::Button b : it->enabled)
        toolbar()->setButtonEnabled(b, true);
    for (RecordToolbar::Button b : it->disabled)
        toolbar()->setButtonEnabled(b, false);
}

std::optional<MonthClaim> MonthTab::monthClaim(MonthClaim::Purpose purpose) const
{
    const Period month = period();
    if (month.year == 0 || month.month == 0)
        return std::nullopt;
    // The month is the one the tab looks up: of every institution where a
    // period is one whoever declared it, else of the declaring institution.
    const bool ofInstitution = !m_description.periodOfAnyInstitution && kind().tabQuery().byInstitution;
    return MonthClaim(kind().table(), month.year, month.month,
                      ofInstitution ? shell().declaringBankCode() : QString(), purpose);
}

std::optional<MonthClaim> MonthTab::saveClaim() const
{
    return monthClaim(shell().editMode() == EditMode::Add ? MonthClaim::Purpose::Add : MonthClaim::Purpose::Save);
}

bool MonthTab::holdsRows() const
{
    return m_dataset->isOpen() && !m_dataset->isEmpty();
}

std::optional<bool> MonthTab::runMonthQuery(const Period &period, const QString &order)
{
    PeriodQuery query = kind().tabQuery();
    if (!order.isEmpty())
        query.order = query.orderFullPeriod = order;
    CachedDataset &dataset = *m_dataset;
    dataset.close();
    const int year = period.year;
    const int month = period.month;
    dataset.disableControls();
    dataset.setSql(query.statement(year != 0, month != 0));
    dataset.clearParams();
    if (query.byInstitution)
        dataset.setParam(QStringLiteral("BANK_CODE"), shell().declaringBankCode());
    if (year != 0)
        dataset.setParam(query.yearParam, year);
    if (month != 0)
        dataset.setParam(query.monthParam, month);
    const bool opened = dataset.open();
    dataset.enableControls();
    if (!opened) {
        Messages::current().error(dataset.lastError(), window());
        return std::nullopt;
    }
    return !dataset.isEmpty();   // the rows of a long query are read as the grid needs them
}

std::optional<bool> MonthTab::lookUpPeriod()
{
    QString error;
    const std::optional<bool> stored =
        StoredRows::ofPeriod(kind().table(), toolbar()->year(), toolbar()->month(), &error);
    if (!stored)
        Messages::current().error(error, window());
    return stored;
}

void MonthTab::query()
{
    toolbar()->query([this] { return runMonthQuery(period()); });
}

bool MonthTab::refuseIncompletePeriod(const QString &message)
{
    if (toolbar()->year() != 0 && toolbar()->month() != 0)
        return false;
    Messages::current().warning(message, window());
    yearEdit()->setFocus(Qt::OtherFocusReason);
    return true;
}

void MonthTab::startEditing(EditMode mode, bool editFirstRow)
{
    shell().setEditMode(mode);
    if (editFirstRow)
        m_dataset->edit();
    toolbar()->refresh();
    m_grid->focusColumn(m_editColumn);
}

void MonthTab::createMonth(bool editFirstRow)
{
    CachedDataset &dataset = *m_dataset;
    const MonthTabDescription::NewMonth month{dataset, shell(), period(), window()};
    dataset.disableControls();
    const bool built = !m_description.newMonthRows || m_description.newMonthRows(month);
    dataset.first();
    dataset.enableControls();
    if (!built) {
        // A list the rows come from could not be read (and was said): no half month.
        dataset.cancelUpdates();
        toolbar()->refresh();
        return;
    }
    startEditing(EditMode::Add, editFirstRow);
}

void MonthTab::add()
{
    toolbar()->zeroEmptyPeriod();
    if (refuseIncompletePeriod(MessageWrongPeriod))
        return;
    const bool anyInstitution = m_description.periodOfAnyInstitution;
    const std::optional<bool> rows = anyInstitution ? lookUpPeriod() : runMonthQuery(period());
    if (!rows)
        return;
    if (*rows) {
        // An existing month is never created again: at most it is modified.
        if (!Messages::current().question(QStringLiteral("資料已存在是否確定修改!!!"), window())) {
            if (m_description.closeWhenAddDeclined)
                m_dataset->close();
            toolbar()->refresh();
            if (m_description.closeWhenAddDeclined)
                showButtons(MonthTabDescription::State::AddDeclined);
            return;
        }
        if (anyInstitution && !runMonthQuery(period(), m_description.existingMonthOrder).has_value())
            return;
        startEditing(EditMode::Modify, false);
        return;
    }
    if (anyInstitution && !runMonthQuery(period()).has_value())
        return;
    createMonth(false);
}

void MonthTab::modify()
{
    if (m_description.workOnLoadedRows) {
        if (holdsRows())
            startEditing(EditMode::Modify, true);
        return;
    }
    // An empty spin edit counts as 0 here but keeps its text: writing a 0 into
    // it would run the change rule and close the loaded month.
    if (refuseIncompletePeriod(MessageWrongPeriod))
        return;
    const std::optional<bool> rows = runMonthQuery(period());
    if (!rows)
        return;
    if (*rows) {
        startEditing(EditMode::Modify, true);
        return;
    }
    if (!Messages::current().question(QStringLiteral("查無此資料，請問是否要新增 ???"), window()))
        return;
    createMonth(true);
}

void MonthTab::deleteMonth()
{
    const bool loadedRows = m_description.workOnLoadedRows;
    if (loadedRows && !holdsRows())
        return;
    // As Modify: an empty spin edit counts as 0 and keeps its text.
    if (refuseIncompletePeriod(QStringLiteral("請輸入欲刪除之年月資料!!!")))
        return;
    shell().setStatusText(QStringLiteral("刪除"));
    const std::optional<bool> rows = loadedRows ? std::optional<bool>(true) : runMonthQuery(period());
    if (!rows)
        return;
    if (!*rows) {
        Messages::current().warning(QStringLiteral("查無欲刪除之年月資料!!!"), window());
        return;
    }
    if (!Messages::current().confirm(m_description.deleteQuestion, window()))
        return;

    m_deleteLabel->setText(QStringLiteral("資料刪除中請稍候...."));
    m_deleteLabel->repaint();
    QString error;
    bool deleted = false;
    ChunkedDelete whole;
    if (wholeMonthDelete(&whole)) {
        deleted = deleteWholeMonth(whole, &error);
    } else {
        removeRowsWithGauge();
        deleted = applyDeletion(&error);
    }
    // Nothing was deleted: the rows come back as the table holds them, so that
    // no later save or close deletes the month after the user was told it failed.
    if (!deleted)
        m_dataset->cancelUpdates();
    m_dataset->enableControls();
    m_deleteGauge->setUpdatesEnabled(true);   // shown as it ended behind the message
    if (deleted)
        Messages::current().information(QStringLiteral("刪除成功!!!"), window());
    else
        Messages::current().information(QStringLiteral("刪除失敗!!!"), window(), error);
    m_deleteGauge->hide();
    m_deleteLabel->clear();
    if (!m_description.buttonStates.isEmpty())
        toolbar()->refresh();
}

void MonthTab::removeRowsWithGauge()
{
    beginGauge();
    removeCachedRows(std::numeric_limits<int>::max());
}

void MonthTab::beginGauge()
{
    CachedDataset &dataset = *m_dataset;
    m_gaugeStart = dataset.recordCount();
    m_gaugeDeleted = 0;
    m_deleteGauge->setValue(0);
    m_deleteGauge->show();
    // A progress bar repaints itself at once whenever its value changes; here
    // it is painted only when due (removeCachedRows).
    m_deleteGauge->setUpdatesEnabled(false);
    dataset.disableControls();
    dataset.first();
    m_sincePaint.start();
    m_nextPaintMs = GaugeFirstPaintMs;
}

void MonthTab::removeCachedRows(int upTo)
{
    CachedDataset &dataset = *m_dataset;
    while (dataset.recordCount() > 0 && m_gaugeDeleted < upTo) {
        if (!dataset.remove())
            break;
        ++m_gaugeDeleted;
        if (dataset.recordCount() > 0) {
            m_deleteGauge->setValue(m_gaugeDeleted * 100 / m_gaugeStart);
            if (m_sincePaint.elapsed() >= m_nextPaintMs) {
                m_deleteGauge->setUpdatesEnabled(true);
                m_deleteGauge->repaint();
                m_deleteGauge->setUpdatesEnabled(false);
                m_sincePaint.restart();
                m_nextPaintMs = GaugeFrameMs;
            }
        }
    }
}

bool MonthTab::wholeMonthDelete(ChunkedDelete *whole) const
{
    // Only the month query's own rows, as read and unchanged, can go by the
    // query's condition; anything else (rows keyed in, an imported month on a
    // statement of its own) goes row by row.
    const CachedDataset &dataset = *m_dataset;
    const PeriodQuery &query = kind().tabQuery();
    const QString rowids = query.rowidStatement(true, true);
    if (rowids.isEmpty() || !dataset.isOpen() || dataset.isEditing() || dataset.hasPendingUpdates()
        || !dataset.sql().startsWith(query.head + query.yearFilter + query.monthFilter))
        return false;
    whole->table = kind().table();
    whole->rowidStatement = rowids;
    whole->params.clear();
    for (const QString &name : NamedPlaceholders::in(rowids))
        whole->params.insert(name, dataset.param(name));
    whole->expectedRows = dataset.recordCount();
    return true;
}

bool MonthTab::deleteWholeMonth(ChunkedDelete &whole, QString *error)
{
    // One delete statement, a chunk of rows at a time; after each chunk the
    // cache lets go of as many rows, the gauge following them.
    beginGauge();
    whole.progress = [this](int deleted) { removeCachedRows(deleted); };
    // The month goes as a whole or not at all, and only while it is still the
    // month this window read (the same claim as a save of rows takes).
    WriteTransaction transaction(Database::connection());
    if (!transaction.isActive()) {
        *error = transaction.error();
        return false;
    }
    const std::optional<MonthClaim> month = monthClaim(MonthClaim::Purpose::Delete);
    if (month && !month->holds(Database::connectionName(), error)) {
        transaction.rollback();
        return false;
    }
    // The rows that go, recorded as one operation in the same transaction.
    ChangeOperation history(Database::connectionName(), ChangeOperation::Kind::MonthDeleted, kind(),
                            month ? month->institution() : QString(), period().year, period().month);
    whole.history = &history;
    if (!whole.run(error)) {
        transaction.rollback();
        return false;
    }
    if (!transaction.commit()) {
        *error = transaction.error();
        return false;
    }
    // The rows are gone from the table already: the cache forgets them.
    m_dataset->commitUpdates();
    return true;
}

bool MonthTab::applyDeletion(QString *error)
{
    // The month goes as a whole or not at all.
    RecordSave deletion(*m_dataset, QStringLiteral("velq8_delete_month"));
    if (const std::optional<MonthClaim> month = monthClaim(MonthClaim::Purpose::Delete))
        deletion.claimMonth(*month);
    if (deletion.run())
        return true;
    *error = deletion.error();
    return false;
}

bool MonthTab::save()
{
    return toolbar()->save();
}

void MonthTab::afterImport(std::optional<Period> imported)
{
    if (imported && m_description.rereadAfterSave)
        runMonthQuery(*imported);
    shell().setEditMode(EditMode::Browse);
    toolbar()->refresh();
    if (!m_dataset->isEmpty())
        m_grid->setFocus();
}

bool MonthTab::saveOnClose()
{
    CachedDataset &dataset = *m_dataset;
    if (!dataset.isOpen())
        return true;
    // A value refused in the cell keeps the window open, so it can be mended.
    if (!m_grid->settleEditor())
        return false;
    const bool editing = dataset.isEditing();
    // Rows keyed in but no longer in the editor are saved as well: closing never
    // drops them without a word.
    if (!editing && !dataset.hasPendingUpdates())
        return true;
    RecordSave save(dataset);
    if (const std::optional<MonthClaim> month = saveClaim())
        save.claimMonth(*month);
    if (!save.run()) {
        Messages::current().error(save.error(), window());
        return false;
    }
    shell().setEditMode(EditMode::Browse);
    toolbar()->refresh();
    return true;
}
