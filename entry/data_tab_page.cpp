#include "entry/data_tab_page.h"

#include "app/shell.h"
#include "entry/period_spin_edit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

struct PageLayout
{
    QString suffix;
    int labelNumber;
    int importKind;
    QString yearCaption;
    QString monthCaption;
    RecordToolbar::Naming naming;
};

PageLayout pageLayout(DataTabPage::Kind kind)
{
    RecordToolbar::Naming naming;
    switch (kind) {
    case DataTabPage::Kind::OperatingData:
        naming.suffix = QString();
        return {naming.suffix, 1, 1, QStringLiteral("年  "), QStringLiteral("月  "), naming};
    case DataTabPage::Kind::OverdueRatio:
        naming.suffix = QStringLiteral("4");
        naming.hasCheck = false;
        return {naming.suffix, 2, 2, QStringLiteral("年  "), QStringLiteral("月  "), naming};
    case DataTabPage::Kind::BillsRate:
        naming.suffix = QStringLiteral("9");
        naming.hasCheck = false;
        naming.deleteName = QStringLiteral("sbDEL");
        naming.deleteHint = false;
        return {naming.suffix, 3, 3, QStringLiteral("年  "), QStringLiteral("月  "), naming};
    case DataTabPage::Kind::BillsTrading:
        naming.suffix = QStringLiteral("2");
        naming.hasCheck = false;
        return {naming.suffix, 4, 4, QStringLiteral("年  "), QStringLiteral("月  "), naming};
    case DataTabPage::Kind::County:
        naming.suffix = QStringLiteral("3");
        naming.importName = QStringLiteral("sbEntery");
        naming.importHint = false;
        return {naming.suffix, 5, 5, QStringLiteral("年        月"), QString(), naming};
    }
    return {};
}

} // namespace

QString DataTabPage::suffix(Kind kind)
{
    return pageLayout(kind).suffix;
}

int DataTabPage::importKind(Kind kind)
{
    return pageLayout(kind).importKind;
}

DataTabPage::DataTabPage(Shell &shell, Kind kind, QWidget *parent)
    : QWidget(parent), m_shell(shell), m_kind(kind)
{
    const PageLayout layout = pageLayout(kind);
    auto *page = new QVBoxLayout(this);

    m_header = new QHBoxLayout;
    auto *bankCaption = new QLabel(QStringLiteral("金融機構:"), this);
    m_bankName = new QLabel(this);
    m_bankName->setObjectName(QStringLiteral("labBANKNAME%1").arg(layout.labelNumber));
    m_bankName->setMinimumWidth(240);
    m_year = new PeriodSpinEdit(QStringLiteral("seYYY") + layout.suffix, Period::MaxYear, this);
    m_month = new PeriodSpinEdit(QStringLiteral("seMM") + layout.suffix, Period::MaxMonth, this);
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

    m_toolbar = new RecordToolbar(layout.naming, this);
    page->addWidget(m_toolbar);

    m_bankName->setText(shell.declaringBankName());
}

Period DataTabPage::period() const
{
    return Period{m_year->number(), m_month->number()};
}

void DataTabPage::setGrid(QWidget *grid)
{
    if (m_grid) {
        m_gridArea->removeWidget(m_grid);
        m_grid->deleteLater();
    }
    m_grid = grid;
    m_gridArea->addWidget(grid);
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
    const int kind = importKind(m_kind);
    m_toolbar->setAction(RecordToolbar::Import, [this, kind, hook = std::move(hook)] {
        m_shell.setImportKind(kind);
        const bool flag = kind != 1;   // the operating data import runs without the flag
        if (flag)
            m_shell.setImportInProgress(true);
        hook();
        if (flag)
            m_shell.setImportInProgress(false);
    });
    m_toolbar->setButtonEnabled(RecordToolbar::Import,
                                m_toolbar->isBound() && m_shell.editMode() == Shell::Browse);
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
