#include "checks/ui/operating_check_runner.h"

#include "ui/dialog_runner.h"
#include "ui/messages.h"
#include "checks/ui/check_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QWidget>

namespace {

// Hides the gauge and empties the label however the check ends.
class ProgressDisplay
{
public:
    ProgressDisplay(QLabel *label, QProgressBar *gauge) : m_label(label), m_gauge(gauge) {}
    ~ProgressDisplay()
    {
        if (m_gauge)
            m_gauge->hide();
        if (m_label)
            m_label->clear();
    }
    ProgressDisplay(const ProgressDisplay &) = delete;
    ProgressDisplay &operator=(const ProgressDisplay &) = delete;

    void start()
    {
        if (m_label) {
            m_label->setText(QStringLiteral("資料檢核中請稍候...."));
            m_label->repaint();
        }
        if (m_gauge) {
            m_gauge->setValue(m_gauge->minimum());
            m_gauge->show();
            m_gauge->repaint();
        }
    }
    void step(int k, int n)
    {
        if (!m_gauge || n <= 0)
            return;
        const int percent = k * 100 / n;
        if (percent == m_gauge->value())
            return;
        m_gauge->setValue(percent);
        m_gauge->repaint();
    }

private:
    QLabel *m_label;
    QProgressBar *m_gauge;
};

} // namespace

OperatingCheck::Status runOperatingCheck(QWidget *tab, int year, int month, const QString &bankCode,
                                         QLabel *labDEL, QProgressBar *gdeDEL,
                                         const std::function<void()> &queryStep, QWidget *yearEdit,
                                         const QString &connectionName)
{
    ProgressDisplay display(labDEL, gdeDEL);
    Messages &messages = Messages::current();

    if (year == 0 || month == 0) {
        messages.warning(QStringLiteral("請輸入欲檢核之年月資料!!!"), tab);
        if (yearEdit)
            yearEdit->setFocus();
        return OperatingCheck::Status::PeriodIncomplete;
    }
    if (queryStep)
        queryStep();

    OperatingCheck check(connectionName);
    OperatingCheck::Status status = check.prepare(bankCode, year, month);
    if (status == OperatingCheck::Status::NoData) {
        messages.warning(QStringLiteral("查無符合之資料!!!"), tab);
        return status;
    }
    if (status == OperatingCheck::Status::DatabaseError) {
        messages.error(check.errorText(), tab);
        return status;
    }

    display.start();
    status = check.evaluate([&display](int k, int n) { display.step(k, n); });
    switch (status) {
    case OperatingCheck::Status::AllHold:
        messages.warning(QStringLiteral("資料完全符合!!!"), tab);
        break;
    case OperatingCheck::Status::RowsFound: {
        TfmVELQ8CHECK window(check.rows(), tab ? tab->window() : nullptr);
        DialogRunner::run(window);
        break;
    }
    case OperatingCheck::Status::DatabaseError:
        messages.error(check.errorText(), tab);
        break;
    default:
        break;
    }
    return status;
}
