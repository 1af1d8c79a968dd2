#pragma once

#include "db/database.h"
#include "reports/report_kind.h"

#include <QDate>
#include <QDialog>
#include <functional>
#include <optional>

class PeriodSpinEdit;
class QComboBox;
class QPushButton;

// The parameter dialog of every report (TfmVELQ8REPA, TfmVELQ8REPH, ...): one
// class, described by the report's ReportKind (object name, caption, whether
// it asks for the unit and for the county).
//
// It opens on today's year and month and the unit "元". A year of 1000 or more
// becomes 999 and a month of 13 or more 12 as it is typed. "列  印" builds the
// report and, when there is something to print, opens the preview; otherwise
// it says the report's message. "清畫面" empties the fields, "離  開" closes.
// A unit typed by hand that is none of the four is refused before any query.
//
// The county detail dialog (TfmVELQ8REPI) names its unit drop-down cmbUNIT and
// adds the county drop-down cmbHSIENNAME: "0  所有縣市", then every county of
// CD01 that has county data, in code order, read when the dialog is made; the
// county passed on is the first character of the item chosen.
class ReportParameterDialog : public QDialog
{
    Q_OBJECT
public:
    using Clock = std::function<QDate()>;

    // `kind` must outlive the dialog (the kinds of ReportKind::all() do). The
    // clock gives today for the default period and the printing date.
    explicit ReportParameterDialog(const ReportKind &kind, QWidget *parent = nullptr,
                                   Clock clock = &QDate::currentDate,
                                   const QString &connectionName = Database::connectionName());

    const ReportKind &kind() const { return m_kind; }
    // The parameters as the fields hold them (an empty spin edit is 0, an empty
    // unit "元"); nothing when the unit text is none of the four.
    std::optional<ReportRequest> request() const;

    PeriodSpinEdit *seYYY = nullptr;
    PeriodSpinEdit *seMM = nullptr;
    QComboBox *cbxUnit = nullptr;        // none when the report asks for no unit
    QComboBox *cmbHSIENNAME = nullptr;   // the county reports only
    QPushButton *sbPrint = nullptr;
    QPushButton *sbClear = nullptr;
    QPushButton *sbExit = nullptr;

public slots:
    void sbPrintClick();
    void sbClearClick();
    void sbExitClick();

private:
    void buildUi();
    void applyPeriodRule(PeriodSpinEdit *edit, int limit);
    void fillCounties();

    const ReportKind &m_kind;
    Clock m_clock;
    QString m_connectionName;
};
