#include "entry/data_tab_page.h"

#include "db/change_list.h"
#include "db/change_values.h"
#include "db/schema.h"
#include "entry/change_history_window.h"
#include "ui/dialog_runner.h"
#include "ui/messages.h"

#include <QAction>

#include "db/cached_dataset.h"
#include "db/database.h"
#include "ui/shell.h"
#include "ui/period_spin_edit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// The record toolbar's names of the kind's tab.
RecordToolbar::Naming toolbarNaming(const DeclarationTab &tab)
{
    RecordToolbar::Naming naming;
    naming.suffix = tab.suffix;
    if (!tab.deleteName.isEmpty())
        naming.deleteName = tab.deleteName;
    naming.deleteHint = tab.deleteHint;
    if (!tab.importName.isEmpty())
        naming.importName = tab.importName;
    naming.importHint = tab.importHint;
    naming.hasCheck = tab.hasCheck;
    return naming;
}

} // namespace

DataTabPage::DataTabPage(Shell &shell, DeclarationKind::Id kind, QWidget *parent)
    : QWidget(parent), m_shell(shell), m_kind(DeclarationKind::get(kind))
{
    const DeclarationTab &layout = m_kind.tab();
    const QString suffix = layout.suffix;
    auto *page = new QVBoxLayout(this);

    m_header = new QHBoxLayout;
    auto *bankCaption = new QLabel(QStringLiteral("金融機構:"), this);
    m_bankName = new QLabel(this);
    m_bankName->setObjectName(QStringLiteral("labBANKNAME%1").arg(layout.bankLabelNumber));
    m_bankName->setMinimumWidth(240);
    m_year = new PeriodSpinEdit(QStringLiteral("seYYY") + suffix, Period::MaxYear, this);
    m_month = new PeriodSpinEdit(QStringLiteral("seMM") + suffix, Period::MaxMonth, this);
    m_header->addWidget(bankCaption);
    m_header->addWidget(m_bankName);
    m_header->addSpacing(24);
    m_header->addWidget(m_year);
    if (!layout.yearCaption.isEmpty())
        m_header->addWidget(new QLabel(layout.yearCaption, this));
    m_header->addWidget(m_month);
    if (!layout.monthCaption.isEmpty())
        m_header->addWidget(new QLabel(layout.monthCaption, this));
    m_header->addStretch(1);
    page->addLayout(m_header);

    m_gridArea = new QVBoxLayout;
    page->addLayout(m_gridArea, 1);

    m_toolbar = new RecordToolbar(toolbarNaming(layout), this);
    page->addWidget(m_toolbar);

    m_bankName->setText(shell.declaringBankName());
}

Period DataTabPage::period() const
{
    return Period{m_year->number(), m_month->number()};
}

RecordToolbar::Binding DataTabPage::toolbarBinding(CachedDataset *dataset, RecordGrid *grid) const
{
    RecordToolbar::Binding binding;
    binding.shell = &m_shell;
    binding.dataset = dataset;
    binding.grid = grid;
    binding.year = m_year;
    binding.month = m_month;
    return binding;
}

CachedDataset *DataTabPage::makeDataset(const QList<ColumnFormat> &columns)
{
    auto *dataset = new CachedDataset(QString::fromLatin1(Database::ConnectionName), this);
    dataset->setObjectName(m_kind.datasetName());
    dataset->setSql(m_kind.tabQuery().statement(true, true));
    dataset->setUpdateTable(m_kind.table());
    QStringList fields;
    for (const ColumnFormat &column : columns)
        fields << column.field;
    dataset->setColumns(fields);
    for (const ColumnFormat &column : columns) {
        dataset->setColumnTitle(column.field, column.title);
        if (!column.displayPicture.isEmpty() || !column.editPicture.isEmpty())
            dataset->setColumnFormat(column.field, column.displayPicture, column.editPicture);
    }
    dataset->setAllColumnsReadOnly(true);
    return dataset;
}

void DataTabPage::setGrid(QWidget *grid)
{
    if (m_grid) {
        m_gridArea->removeWidget(m_grid);
        m_grid->deleteLater();
    }
    m_grid = grid;
    m_gridArea->addWidget(grid);
    // The history of the current row: the grid's context menu, or Ctrl+H.
    auto *history = new QAction(QStringLiteral("資料異動紀錄"), grid);
    history->setObjectName(QStringLiteral("actChangeHistory"));
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    history->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(history, &QAction::triggered, this, &DataTabPage::showRowHistory);
    grid->addAction(history);
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void DataTabPage::showRowHistory()
{
    CachedDataset *rows = dataset();
    const TableDef *table = Schema::table(m_kind.table());
    if (!rows || !table || rows->currentRow() < 0)
        return;
    // The row's key as the table holds it: its values as read (an appended
    // row, never stored, has none and so no history).
    const auto stored = [rows](const QString &field) {
        return rows->fieldIndex(field) >= 0 ? rows->originalValue(field) : rows->param(field);
    };
    const QString key = ChangeValues::keyOf(*table, stored);
    QList<ChangeEntry> entries;
    QString error;
    if (!ChangeEntry::ofRow(rows->connectionName(), m_kind.code(), key, &entries, &error)) {
        Messages::current().error(error, window());
        return;
    }
    ChangeHistoryWindow dialog(ChangeValues::describe(*table, true, key), entries, window());
    DialogRunner::run(dialog);
}

void DataTabPage::setCheckHook(std::function<void()> hook)
{
    if (!m_toolbar->button(RecordToolbar::Check))
        return;
    // Enabled by the next button-state refresh in browse mode.
    m_toolbar->setAction(RecordToolbar::Check, std::move(hook));
}

void DataTabPage::setImportHook(std::function<void()> hook)
{
    if (!hook) {
        m_toolbar->setAction(RecordToolbar::Import, {});
        return;
    }
    const DeclarationKind::Id kind = m_kind.id();
    const bool flag = m_kind.tab().importMarksProgress;
    m_toolbar->setAction(RecordToolbar::Import, [this, kind, flag, hook = std::move(hook)] {
        m_shell.setImportKind(kind);
        if (flag)
            m_shell.setImportInProgress(true);
        hook();
        if (flag)
            m_shell.setImportInProgress(false);
    });
    m_toolbar->setButtonEnabled(RecordToolbar::Import,
                                m_toolbar->isBound() && m_shell.editMode() == EditMode::Browse);
}

void DataTabPage::setPeriod(int year, int month)
{
    // Each assignment runs the tab's change rule (closes the dataset).
    m_year->setEditText(QString::number(Period::clampYear(year)));
    m_month->setEditText(QString::number(Period::clampMonth(month)));
}

void DataTabPage::startState()
{
    m_toolbar->startState();
}

void DataTabPage::setBankName(const QString &name)
{
    m_bankName->setText(name);
}
