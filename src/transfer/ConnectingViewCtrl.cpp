#include "transfer/ConnectingViewCtrl.h"

#include "controls/MGHoverButton.h"
#include "controls/ThinProgressView.h"
#include "platform/MainBundle.h"
#include "shell/MGMessageBox.h"
#include "shell/UIManager.h"
#include "transfer/ConnectViewParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

ConnectingViewCtrl::ConnectingViewCtrl(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ConnectingViewCtrl"));
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(24);
    layout->addWidget(ConnectViewParts::text(MainBundle::localizedString("Connecting to your device..."), 24, this));
    auto *pictures = new QHBoxLayout;
    pictures->setSpacing(12);
    pictures->addStretch(1);
    pictures->addWidget(ConnectViewParts::picture(UIManager::sliceNamedInGuideMap(QStringLiteral("Guidancemap-57")), this));
    m_animation = new QLabel(this);
    m_animation->setObjectName(QStringLiteral("connectingAnimation"));
    m_animation->setFixedSize(120, 40);
    pictures->addWidget(m_animation, 0, Qt::AlignVCenter);
    pictures->addWidget(ConnectViewParts::picture(UIManager::sliceNamedInGuideMap(QStringLiteral("Guidancemap-60")), this));
    pictures->addStretch(1);
    layout->addLayout(pictures);
    m_progress = new ThinProgressView(this);
    m_progress->setFixedSize(380, 6);
    layout->addWidget(m_progress, 0, Qt::AlignHCenter);
    m_reportDevicesButton = new MGHoverButton(this);
    m_reportDevicesButton->setObjectName(QStringLiteral("reportDevicesButton"));
    m_reportDevicesButton->setTitle(MainBundle::localizedString("Report my device"));
    m_reportDevicesButton->setTextColor(QColor(32, 192, 91));
    m_reportDevicesButton->setFixedSize(160, 24);
    layout->addWidget(m_reportDevicesButton, 0, Qt::AlignHCenter);
    connect(m_reportDevicesButton, &MGHoverButton::clicked, this, &ConnectingViewCtrl::reportDevicesClick);
    m_timer = new QTimer(this);
    m_timer->setInterval(TickMs);
    connect(m_timer, &QTimer::timeout, this, &ConnectingViewCtrl::tick);
    showFrame(0);
}

QString ConnectingViewCtrl::frameName(int counter)
{
    return QStringLiteral("connecting-%1").arg(counter, 2, 10, QLatin1Char('0'));
}

void ConnectingViewCtrl::showFrame(int counter)
{
    m_animation->setPixmap(QPixmap::fromImage(UIManager::sliceNamed(frameName(counter), QStringLiteral("Connecting"))));
}

void ConnectingViewCtrl::tick()
{
    showFrame(m_frame);
    // The bar creeps towards the end and waits there for the device.
    m_progress->setProgress(std::min(0.95f, float(m_ticks) / TicksToFull));
    m_frame = (m_frame + 1) % FrameCount;
    ++m_ticks;
}

void ConnectingViewCtrl::startConnectAnimation()
{
    m_frame = 0;
    m_ticks = 0;
    m_progress->setProgress(0);
    m_timer->start();
}

void ConnectingViewCtrl::stopConnectAnimation()
{
    m_frame = 0;
    m_timer->stop();
    showFrame(0);
}

void ConnectingViewCtrl::reportDevicesClick()
{
    MGMessageBox::warning(MainBundle::localizedString("Come Soon..."), MainBundle::localizedString("Warnnig"), QString(),
                          MainBundle::localizedString("OK"), QImage(), window()->frameGeometry());
}

bool ConnectingViewCtrl::isAnimating() const { return m_timer->isActive(); }
