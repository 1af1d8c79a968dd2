#include "app/splash_window.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

class TstSplashWindow : public QObject
{
    Q_OBJECT
private slots:
    void isABorderlessWindowWithPictureAndCredit();
    void staysUntilItsTimerTicksOnce();
};

void TstSplashWindow::isABorderlessWindowWithPictureAndCredit()
{
    TfmSplash splash;
    QCOMPARE(splash.size(), QSize(292, 345));
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(TfmSplash::IntervalMs, 3000);
    auto *picture = splash.findChild<QLabel *>("Image1");
    QVERIFY(picture && !picture->pixmap().isNull());
    auto *credit = splash.findChild<QLabel *>("Label1");
    QVERIFY(credit && !credit->text().isEmpty());
    QCOMPARE(credit->font().pixelSize(), 19);
    QCOMPARE(credit->font().family(), QString("標楷體"));
}

void TstSplashWindow::staysUntilItsTimerTicksOnce()
{
    TfmSplash splash;
    QElapsedTimer clock;
    clock.start();
    splash.showFor(200);
    QVERIFY(clock.elapsed() >= 190);
    QVERIFY(splash.isVisible());
    QVERIFY(!splash.timerRunning());   // switched itself off at its first tick
}

QTEST_MAIN(TstSplashWindow)
#include "tst_splash_window.moc"
