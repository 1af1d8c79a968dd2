#pragma once

#include <QWidget>

class QTimer;

// The splash window shown for three seconds while the main window is built:
// borderless, 292 by 345 pixels, a picture and a one-line credit under it.
class TfmSplash : public QWidget
{
    Q_OBJECT
public:
    explicit TfmSplash(QWidget *parent = nullptr);

    static constexpr int IntervalMs = 3000;

    // Shows the window and keeps processing events until the timer's first tick.
    void showFor(int ms = IntervalMs);
    bool timerRunning() const;

private:
    QTimer *m_timer;
};
