#include "reports/ui/report_parameter_dialog.h"

#include "reports/county_detail_report.h"
#include "reports/ui/report_preview.h"
#include "ui/dialog_runner.h"
#include "ui/messages.h"
#include "ui/period_spin_edit.h"
#include "ui/window_placement.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ReportParameterDialog::ReportParameterDialog(const ReportKind &kind, QWidget *parent, Clock clock,
                                             const QString &connectionName)
    : QDialog(parent), m_kind(kind), m_clock(std::move(clock)), m_connectionName(connectionName)
{
    setObjectName(kind.dialogName);
    setWindowTitle(kind.caption);
    buildUi();

    const Period today = Period::fromDate(m_clock());
    seYYY->setEditText(QString::number(today.year));
    seMM->setEditText(QString::number(today.month));
    if (cbxUnit)
        cbxUnit->setCurrentIndex(0);
    if (cmbHSIENNAME)
        fillCounties();
    WindowPlacement::maximise(this);
}

void ReportParameterDialog::buildUi()
{
    auto *fields = new QGridLayout;
    auto addField = [&](const QString &caption, QWidget *edit) {
        const int row = fields->rowCount();
        fields->addWidget(new QLabel(caption, this), row, 0);
        fields->addWidget(edit, row, 1);
    };
    seYYY = new PeriodSpinEdit(QStringLiteral("seYYY"), Period::MaxYear, this);
    seMM = new PeriodSpinEdit(QStringLiteral("seMM"), Period::MaxMonth, this);
    addField(QStringLiteral("日  期"), seYYY);
    addField(QStringLiteral("年       月"), seMM);
    if (m_kind.asksUnit) {
        cbxUnit = new QComboBox(this);
        // The county detail dialog has its own name for the same drop-down.
        cbxUnit->setObjectName(m_kind.asksCounty ? QStringLiteral("cmbUNIT") : QStringLiteral("cbxUnit"));
        cbxUnit->setEditable(true);
        cbxUnit->setInsertPolicy(QComboBox::NoInsert);
        cbxUnit->addItems(AmountUnit::texts());
        addField(QStringLiteral("單位金額"), cbxUnit);
    }
    if (m_kind.asksCounty) {
        cmbHSIENNAME = new QComboBox(this);
        cmbHSIENNAME->setObjectName(QStringLiteral("cmbHSIENNAME"));
        addField(QStringLiteral("縣  市"), cmbHSIENNAME);
    }
    connect(seYYY, &PeriodSpinEdit::changed, this, [this] { applyPeriodRule(seYYY, 1000); });
    connect(seMM, &PeriodSpinEdit::changed, this, [this] { applyPeriodRule(seMM, 13); });

    auto button = [this](const QString &name, const QString &caption, void (ReportParameterDialog::*slot)()) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setMinimumHeight(36);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    sbPrint = button(QStringLiteral("sbPrint"), QStringLiteral("列  印"), &ReportParameterDialog::sbPrintClick);
    sbClear = button(QStringLiteral("sbClear"), QStringLiteral("清畫面"), &ReportParameterDialog::sbClearClick);
    sbExit = button(QStringLiteral("sbExit"), QStringLiteral("離  開"), &ReportParameterDialog::sbExitClick);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(sbPrint);
    buttons->addWidget(sbClear);
    buttons->addWidget(sbExit);
    buttons->addStretch(1);
    auto *left = new QVBoxLayout;
    left->addLayout(fields);
    left->addStretch(1);
    auto *page = new QHBoxLayout(this);
    page->addLayout(left);
    page->addStretch(1);
    page->addLayout(buttons);
}

void ReportParameterDialog::applyPeriodRule(PeriodSpinEdit *edit, int limit)
{
    // An empty or non-numeric text is left as it is.
    bool whole = false;
    const int number = edit->editText().toInt(&whole);
    if (whole && number >= limit)
        edit->setEditText(QString::number(limit - 1));
}

void ReportParameterDialog::fillCounties()
{
    QStringList items;
    QString error;
    const bool read = CountyDetailReport::countyItems(m_connectionName, &items, &error);
    cmbHSIENNAME->clear();
    cmbHSIENNAME->addItems(items);
    cmbHSIENNAME->setCurrentIndex(0);
    // Every county can still be printed through "0  所有縣市".
    if (!read)
        Messages::current().error(error, this);
}

std::optional<ReportRequest> ReportParameterDialog::request() const
{
    const std::optional<AmountUnit> unit = AmountUnit::fromText(cbxUnit ? cbxUnit->currentText() : QString());
    if (!unit)
        return std::nullopt;
    ReportRequest r;
    r.period = Period{seYYY->number(), seMM->number()};
    r.unit = *unit;
    r.printedOn = m_clock();
    if (cmbHSIENNAME)
        r.county = CountyDetailReport::countyOfItem(cmbHSIENNAME->currentText());
    r.connectionName = m_connectionName;
    return r;
}

void ReportParameterDialog::sbPrintClick()
{
    Messages &messages = Messages::current();
    const std::optional<ReportRequest> parameters = request();
    if (!parameters) {
        messages.warning(AmountUnit::refusal(cbxUnit->currentText()), this);
        cbxUnit->setFocus();
        return;
    }
    const ReportOutcome outcome = m_kind.build(*parameters);
    switch (outcome.status) {
    case ReportOutcome::Status::Ready:
        break;
    case ReportOutcome::Status::NothingToPrint:
        if (outcome.notice == ReportOutcome::Notice::Warning)
            messages.warning(outcome.message, this);
        else if (outcome.notice != ReportOutcome::Notice::Silent)
            messages.plain(outcome.message, this);
        return;
    case ReportOutcome::Status::Failed:
        messages.error(outcome.message, this);
        return;
    }
    ReportPreview preview(outcome.definition, outcome.rows, this);
    DialogRunner::run(preview.dialog());
}

void ReportParameterDialog::sbClearClick()
{
    seYYY->clearText();
    seMM->clearText();
    if (cbxUnit)
        cbxUnit->setEditText(QString());
}

void ReportParameterDialog::sbExitClick()
{
    reject();
}
