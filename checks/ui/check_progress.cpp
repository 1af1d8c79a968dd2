#include "checks/ui/check_progress.h"

#include <QLabel>
#include <QProgressBar>

CheckProgress::~CheckProgress()
{
    if (m_gauge)
        m_gauge->hide();
    if (m_label)
        m_label->clear();
}

void CheckProgress::start()
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

void CheckProgress::step(int k, int n)
{
    if (!m_gauge || n <= 0)
        return;
    const int percent = k * 100 / n;
    if (percent == m_gauge->value())
        return;
    m_gauge->setValue(percent);
    m_gauge->repaint();
}
