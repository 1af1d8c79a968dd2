#include "entry/row_tab.h"

#include "db/cached_dataset.h"
#include "db/stored_rows.h"
#include "entry/amount_limit.h"
#include "entry/row_grid.h"
#include "ui/cell_delegate.h"
#include "ui/messages.h"
#include "ui/period_spin_edit.h"
#include "ui/record_form_ui.h"
#include "ui/shell.h"

#include <QFont>
#include <QHeaderView>

namespace {

using B = RecordToolbar::Button;
using Editing = RowTabDescription::Editing;

const QString Year = QStringLiteral("M_YEAR");
const QString Month = QStringLiteral("M_MONTH");
const QString Bank = QStringLiteral("BANK_CODE");
// The empty query's warning names the window rather than the application.
const QString MainWindowCaption = QStringLiteral("Velqora<VELQ8>");

bool isEmptyValue(const QVariant &value)
{
    return value.isNull() || value.toString().trimmed().isEmpty();
}

QFont gridFont(const QFont &base, const QString &family, int pixels)
{
    QFont font = base;
    if (!family.isEmpty())
        font.setFamilies({family});
    if (pixels > 0)
        font.setPixelSize(pixels);
    return font;
}

} // namespace

RowTab::RowTab(Shell &shell, RowTabDescription description, QWidget *parent)
    : DataTabPage(shell, description.kind, parent)
    , m_description(std::move(description))
    , m_codes(shell, m_description.codeColumns)
{
    buildDataset();
    buildGrid();
    bindToolbar();
}

QStringList RowTab::fields() const
{
    QStringList names;
    for (const RowTabDescription::Column &column : m_description.columns)
        names << column.field;
    return names;
}

void RowTab::buildDataset()
{
    m_dataset = makeDataset(m_description.columns);
    RecordEditor::DuplicateRule duplicates;
    for (const auto &[param, field] : m_description.duplicateParams)
        duplicates.keyFields << field;
    duplicates.isStored = [this](QString *error) { return isDuplicate(error); };
    m_editor = std::make_unique<RecordEditor>(*m_dataset, static_cast<RecordForm &>(*this), std::move(duplicates));
    m_dataset->beforeScroll = [this] { return mayScroll(); };
    m_dataset->beforePost = [this] { return mayPost(); };
}

void RowTab::buildGrid()
{
    m_grid = new RowGrid(m_description.gridName, this);
    m_grid->setDataset(m_dataset);
    m_grid->setFont(gridFont(m_grid->font(), m_description.cellFont, m_description.cellPixels));
    m_grid->horizontalHeader()->setFont(
        gridFont(m_grid->horizontalHeader()->font(), m_description.titleFont, m_description.titlePixels));
    // A grid of the row tabs draws every cell on one line and cuts what is too
    // wide rather than putting an ellipsis in place of a year.
    m_grid->setWordWrap(false);
    m_grid->setTextElideMode(Qt::ElideNone);
    m_codes.install(*m_grid, fields());
    m_editColumn = -1;
    for (int i = 0; i < m_description.columns.size(); ++i) {
        const RowTabDescription::Column &column = m_description.columns.at(i);
        if (column.width > 0)
            m_grid->setColumnWidth(i, column.width);
        else if (const int labels = m_codes.labelWidth(column.field, m_grid->fontMetrics()); labels > 0)
            m_grid->setColumnWidth(i, std::max(labels, m_grid->columnWidth(i)));
        if (column.editing == Editing::Always && m_editColumn < 0)
            m_editColumn = i;
        if (column.delegate) {
            QAbstractItemDelegate *delegate = column.delegate(m_grid);
            // Nothing the declaration file could not hold gets into a row.
            AmountLimit::applyTo(delegate, kind(), column.field, *m_dataset);
            m_grid->setItemDelegateForColumn(i, delegate);
        }
        if (auto *cells = qobject_cast<CellDelegate *>(m_grid->itemDelegateForColumn(i)); cells && column.centred)
            cells->setDisplayAlignment(Qt::AlignCenter);
    }
    m_editColumn = std::max(m_editColumn, 0);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    m_grid->setColumnExit([this](int column) { return columnExit(column); });
    // Enter in the last column saves in add mode: a run of rows from the keyboard alone.
    m_grid->setLastColumnEnter([this] {
        if (rowMode() != EditMode::Add)
            return false;
        save();
        return true;
    });
    connect(m_grid, &QAbstractItemView::clicked, this, [this] {
        if (shell().editMode() == EditMode::Browse && !rowInEditing() && m_dataset->isOpen())
            navigationRule();
    });
    setGrid(m_grid);
}

void RowTab::bindToolbar()
{
    RecordToolbar::Binding binding = toolbarBinding(m_dataset, m_grid);
    for (const RowTabDescription::Column &column : m_description.columns) {
        if (column.editing == Editing::Always)
            binding.editableFields << column.field;
    }
    binding.periodRule = m_description.periodRule;
    binding.buttonStates = [this] { showButtonStates(); };
    RecordToolbar &bar = *toolbar();
    bar.bind(binding);
    bar.setAction(B::Query, [this] { query(); });
    bar.setAction(B::Add, [this] { add(); });
    bar.setAction(B::Edit, [this] { modify(); });
    bar.setAction(B::Del, [this] { deleteRow(); });
    bar.setAction(B::Post, [this] { save(); });
    bar.setAction(B::Cancel, [this] { discard(); });
    bar.setAction(B::Clear, [this] { clear(); });
    bar.setButtonsEnabled({B::Query, B::Add, B::Exit, B::Clear}, true);
}

bool RowTab::rowInEditing() const
{
    return m_dataset->isEditing();
}

EditMode RowTab::rowMode() const
{
    switch (m_dataset->state()) {
    case CachedDataset::State::Insert:
        return EditMode::Add;
    case CachedDataset::State::Edit:
        return EditMode::Modify;
    default:
        return EditMode::Browse;
    }
}

// ---------------------------------------------------------------------------------
// Buttons

void RowTab::showButtonStates()
{
    const EditMode mode = shell().editMode();
    const bool browse = mode == EditMode::Browse;
    // The year and month of a new row may be typed; of a stored row never.
    for (const RowTabDescription::Column &column : m_description.columns) {
        if (column.editing == Editing::AddOnly)
            m_dataset->setColumnReadOnly(column.field, mode != EditMode::Add);
    }
    shell().setDataPagesEnabled(m_description.pagesDisabledWhileEditing, browse);
    RecordToolbar &bar = *toolbar();
    bar.setButtonsEnabled({B::Query, B::Add, B::Clear, B::Exit, B::Import}, browse);
    bar.setButtonsEnabled({B::Post, B::Cancel}, !browse);
    if (browse && m_dataset->isOpen())
        navigationRule();
    else
        setRowButtons(false);
    ownButtonStates(browse);
}

void RowTab::navigationRule()
{
    const CachedDataset &rows = *m_dataset;
    const bool several = rows.recordCount() > 1;
    RecordToolbar &bar = *toolbar();
    bar.setButtonsEnabled({B::Last, B::Next}, several && !rows.eof());
    bar.setButtonsEnabled({B::First, B::Prior}, several && !rows.bof());
    bar.setButtonsEnabled({B::Edit, B::Del}, !rows.bof() && !rows.eof());
}

void RowTab::setRowButtons(bool enabled)
{
    toolbar()->setButtonsEnabled({B::First, B::Last, B::Prior, B::Next, B::Edit, B::Del}, enabled);
}

void RowTab::closeRows()
{
    toolbar()->closedState();
}

// ---------------------------------------------------------------------------------
// Query, Add, Modify

void RowTab::query()
{
    toolbar()->zeroEmptyPeriod();
    const PeriodQuery &period = kind().tabQuery();
    const int year = toolbar()->year();
    const int month = toolbar()->month();
    const Filter own = ownFilter();
    QString sql = period.head;
    if (year != 0)
        sql += period.yearFilter;
    if (month != 0)
        sql += period.monthFilter;
    sql += own.sql + period.order;

    CachedDataset &rows = *m_dataset;
    rows.setSql(sql);
    rows.clearParams();
    rows.setParam(Bank, shell().declaringBankCode());
    if (year != 0)
        rows.setParam(period.yearParam, year);
    if (month != 0)
        rows.setParam(period.monthParam, month);
    for (auto it = own.params.constBegin(); it != own.params.constEnd(); ++it)
        rows.setParam(it.key(), it.value());
    const bool opened = rows.open();
    if (!opened || rows.isEmpty()) {
        setRowButtons(false);
        toolbar()->setButtonsEnabled({B::Post, B::Cancel}, false);
        if (opened)
            Messages::current().show(Messages::Icon::Warning, QStringLiteral("查無任何符合資料!!!"),
                                     MainWindowCaption, {}, window());
        else
            Messages::current().error(rows.lastError(), window());
        return;
    }
    labelRows();
    setRowButtons(true);
    m_grid->setFocus(Qt::OtherFocusReason);
}

void RowTab::add()
{
    toolbar()->zeroEmptyPeriod();
    CachedDataset &rows = *m_dataset;
    if (!rows.isOpen()) {
        // The kind's statement that selects no rows, as the import fills it.
        const DeclarationImport &empty = kind().importRule();
        rows.setSql(empty.targetStatement);
        rows.clearParams();
        for (auto it = empty.targetParams.constBegin(); it != empty.targetParams.constEnd(); ++it)
            rows.setParam(it.key(), it.value());
        if (!rows.open()) {
            Messages::current().error(rows.lastError(), window());
            return;
        }
    }
    // Refused while a row of any tab is in editing (the shared mode holds the guard).
    if (!rows.append())
        return;
    shell().setEditMode(EditMode::Add);
    const int year = toolbar()->year();
    const int month = toolbar()->month();
    const bool given = year != 0 && month != 0;
    const Period today = Period::fromDate(shell().today());
    rows.setValue(Year, given ? year : today.year);
    rows.setValue(Month, given ? month : today.month);
    rows.setValue(Bank, shell().declaringBankCode());
    m_codes.rebuildPickLists();
    toolbar()->refresh();
    m_grid->placeCursor(m_editColumn);
}

void RowTab::modify()
{
    CachedDataset &rows = *m_dataset;
    if (!rows.isOpen() || rows.eof())
        return;
    // As Add: refused while a row of another tab is in editing.
    if (shell().editMode() != EditMode::Browse)
        return;
    shell().setEditMode(EditMode::Modify);
    rows.edit();
    toolbar()->refresh();
    m_codes.rebuildPickLists();
    m_grid->placeCursor(std::max(m_grid->currentIndex().column(), 0));
}

// ---------------------------------------------------------------------------------
// Save and the checks before it

bool RowTab::save()
{
    return save(false);
}

bool RowTab::save(bool closing)
{
    if (!rowInEditing()) {
        shell().setEditMode(EditMode::Browse);
        toolbar()->refresh();
        return true;
    }
    return m_editor->save(closing ? RecordEditor::After::Close : RecordEditor::After::NextOrBrowse);
}

int RowTab::columnExit(int column)
{
    const RowTabDescription::Column &left = m_description.columns.at(column);
    if (m_codes.isCodeColumn(left.field)) {
        return m_codes.check(*m_dataset, left.field, window()) ? -1 : std::max(column - 1, 0);
    }
    // A warning only: the value stays and is saved like any other.
    if (left.warnWhen && left.warnWhen(m_dataset->value(left.field)))
        Messages::current().warning(left.warning, window());
    return -1;
}

bool RowTab::hasRequiredValues() const
{
    for (const QString &field : m_description.required) {
        const QVariant value = m_dataset->value(field);
        if (field == Year || field == Month) {
            // A period the declaration file cannot carry is as good as none.
            const int number = value.toInt();
            if (number < 1 || number > (field == Year ? Period::MaxYear : Period::MaxMonth))
                return false;
        } else if (isEmptyValue(value)) {
            return false;
        }
    }
    // A code cell a refusal emptied shows no code, whatever the code field kept.
    for (const RowTabDescription::CodeColumn &code : m_description.codeColumns) {
        if (isEmptyValue(m_dataset->value(code.displayField)))
            return false;
    }
    return true;
}

bool RowTab::nothingKeyed() const
{
    for (const RowTabDescription::Column &column : m_description.columns) {
        if (column.editing == Editing::Always && !isEmptyValue(m_dataset->value(column.field)))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------
// Discard, Delete, Clear, import, close

void RowTab::discard()
{
    const bool cancelled = cancelling([this] { return toolbar()->discard(); });
    if (!cancelled)
        return;
    m_codes.clearPickLists();
    labelRows();
}

void RowTab::deleteRow()
{
    CachedDataset &rows = *m_dataset;
    if (!rows.isOpen() || rows.eof())
        return;
    shell().setStatusText(QStringLiteral("刪除"));
    if (m_editor->remove(QStringLiteral("確定要刪除嗎?")) != RecordEditor::Removal::Declined)
        toolbar()->refresh();
}

void RowTab::clear()
{
    toolbar()->clear();
    clearOwn();
}

void RowTab::afterImport()
{
    setRowButtons(true);
    m_grid->setFocus(Qt::OtherFocusReason);
}

bool RowTab::saveOnClose()
{
    if (!rowInEditing())
        return true;
    if (!m_grid->settleEditor())
        return false;
    // The row Save opened after the last of a run holds nothing of the user's.
    if (m_dataset->state() == CachedDataset::State::Insert && nothingKeyed()) {
        cancelling([this] {
            m_dataset->cancel();
            return true;
        });
        shell().setEditMode(EditMode::Browse);
        toolbar()->refresh();
        return true;
    }
    return save(true);
}

// ---------------------------------------------------------------------------------
// Labels and guards

void RowTab::labelRows()
{
    CachedDataset &rows = *m_dataset;
    if (!m_codes.labelsRows() || !rows.isOpen() || rows.isEmpty())
        return;
    // Run right after the rows were read or their changes cancelled: nothing
    // else is pending, so the labels become how the rows were read.
    m_labelling = true;
    rows.disableControls();
    for (int row = 0; row < rows.recordCount(); ++row) {
        rows.moveTo(row);
        m_codes.labelCurrentRow(rows);
        rows.post();
    }
    rows.commitUpdates();
    rows.first();
    rows.enableControls();
    m_labelling = false;
}

bool RowTab::cancelling(const std::function<bool()> &cancel)
{
    m_cancelling = true;
    const bool done = cancel();
    m_cancelling = false;
    return done;
}

bool RowTab::mayScroll() const
{
    return m_labelling || shell().importInProgress() || shell().editMode() == EditMode::Browse;
}

bool RowTab::mayPost()
{
    if (m_labelling || shell().importInProgress())
        return true;
    // A new row being taken out: the grid, losing its row, moves the cursor,
    // which would post the row first and keep it.
    if (m_cancelling)
        return false;
    // Only Save posts a row, whatever the shared mode says: a row another tab
    // left the mode on browse under is still in editing, and a move off it
    // would post it into the cache where nothing writes it.
    if (!m_editor->isPosting())
        return false;
    return m_editor->duplicateGuard();
}

std::optional<bool> RowTab::isDuplicate(QString *error) const
{
    QVariantMap params;
    for (const auto &[param, field] : m_description.duplicateParams)
        params.insert(param, m_dataset->value(field));
    return StoredRows::any(m_description.duplicateStatement, params, error);
}

// ---------------------------------------------------------------------------------
// The tab as the record editor's form

RecordForm::Mode RowTab::mode() const
{
    // The row's own mode: another tab may have moved the shared one.
    return RecordFormUi::formMode(rowMode());
}

void RowTab::setMode(Mode mode)
{
    shell().setEditMode(RecordFormUi::editMode(mode));
}

bool RowTab::settleEditor()
{
    if (!m_grid->settleEditor())
        return false;
    // Leaving the column runs its check; a code it refused leaves its cell empty,
    // which the required values then refuse.
    m_grid->moveToColumn(0);
    return true;
}

void RowTab::refused(Refusal why)
{
    if (why == Refusal::Input)
        m_grid->placeCursor(0);
    else if (why == Refusal::Duplicate)
        m_grid->placeCursor(m_editColumn);
}

void RowTab::written()
{
    m_codes.rebuildPickLists();
    m_grid->viewport()->update();
}

bool RowTab::openNextRow()
{
    const QVariant year = m_dataset->value(Year);
    const QVariant month = m_dataset->value(Month);
    // Appended while the mode is still browse, so the scroll guard lets it.
    if (!m_dataset->append())
        return false;
    m_dataset->setValue(Year, year);
    m_dataset->setValue(Month, month);
    m_dataset->setValue(Bank, shell().declaringBankCode());
    shell().setEditMode(EditMode::Add);
    m_grid->placeCursor(m_editColumn);
    return true;
}

void RowTab::showBrowse()
{
    toolbar()->refresh();
}

void RowTab::say(Tone tone, const QString &text)
{
    RecordFormUi::say(tone, text, window());
}

bool RowTab::confirm(const QString &question)
{
    return Messages::current().confirm(question, window());
}
