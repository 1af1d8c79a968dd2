#pragma once

class QLabel;
class QProgressBar;

// The progress of a check on its tab: the label (labDEL, labDEL1) says
// "資料檢核中請稍候...." and the yellow gauge (gdeDEL, gdeDel1) follows the steps
// begun (k * 100 div n), both repainted as they change, since the check takes no
// other input until it ends. However the check ends, the gauge is hidden and the
// label emptied when the object goes.
class CheckProgress
{
public:
    CheckProgress(QLabel *label, QProgressBar *gauge) : m_label(label), m_gauge(gauge) {}
    ~CheckProgress();
    CheckProgress(const CheckProgress &) = delete;
    CheckProgress &operator=(const CheckProgress &) = delete;

    void start();
    // Step k (1..n) begun.
    void step(int k, int n);

private:
    QLabel *m_label;
    QProgressBar *m_gauge;
};
