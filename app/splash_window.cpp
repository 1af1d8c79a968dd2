#include "app/splash_window.h"

#include <QEventLoop>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The picture is drawn here rather than shipped: a ledger motif in the house colours.
QPixmap splashPicture(int width, int height)
{
    QPixmap pixmap(width, height);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(0x0b, 0x3d, 0x5c));
    sky.setColorAt(1, QColor(0x1f, 0x7a, 0x8c));
    p.fillRect(pixmap.rect(), sky);
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    for (int y = 40; y < height; y += 18)
        p.drawLine(24, y, width - 24, y);
    // Bars of a monthly figure.
    const int bars[] = {60, 95, 80, 130, 110, 150};
    for (int i = 0; i < 6; ++i) {
        const QRect bar(40 + i * 36, height - 40 - bars[i], 22, bars[i]);
        p.fillRect(bar, QColor(0xf2, 0xb7, 0x05, 220));
    }
    QFont title(QStringLiteral("標楷體"));
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 24, width, 44), Qt::AlignCenter, QStringLiteral("Velqora"));
    QFont sub(QStringLiteral("標楷體"));
    sub.setPixelSize(22);
    p.setFont(sub);
    p.drawText(QRect(0, 70, width, 30), Qt::AlignCenter, QStringLiteral("金融機構申報系統"));
    return pixmap;
}

} // namespace

TfmSplash::TfmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("TfmSplash"));
    setFixedSize(292, 345);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->setSpacing(2);
    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(splashPicture(292, 310));
    layout->addWidget(picture);
    auto *credit = new QLabel(QStringLiteral("Velqora 開發團隊 製作"), this);
    credit->setObjectName(QStringLiteral("Label1"));
    QFont font(QStringLiteral("標楷體"));
    font.setPixelSize(19);
    credit->setFont(font);
    credit->setAlignment(Qt::AlignCenter);
    layout->addWidget(credit);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);   // switches itself off at its first tick
}

void TfmSplash::showFor(int ms)
{
    show();
    raise();
    QEventLoop loop;
    connect(m_timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    m_timer->start(ms);
    loop.exec();
}

bool TfmSplash::timerRunning() const { return m_timer->isActive(); }
