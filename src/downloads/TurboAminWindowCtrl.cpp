#include "downloads/TurboAminWindowCtrl.h"

#include "controls/MGHoverButton.h"
#include "platform/MainBundle.h"
#include "shell/UIManager.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

TurboAminWindowCtrl::TurboAminWindowCtrl(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(MainBundle::localizedString("Turbo mode"));
    setStyleSheet(QStringLiteral("QDialog{background:white;}"));
    resize(520, 360);
    auto *layout = new QVBoxLayout(this);
    m_lblWindowTitle = new QLabel(MainBundle::localizedString("Turbo mode"), this);
    m_lblWindowTitle->setStyleSheet(QStringLiteral("background:rgb(251,254,255);border-bottom:1px solid rgb(223,225,226);padding:6px;"));
    layout->addWidget(m_lblWindowTitle);
    m_aminImageView = new QLabel(this);
    m_aminImageView->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_aminImageView, 1);
    m_turnonBtn = new MGHoverButton(this);
    m_turnonBtn->setButtonDisplayType(MGHoverButton::DisplayAccentText);
    m_turnonBtn->setTitle(MainBundle::localizedString("Turn on"));
    m_turnonBtn->setMinimumSize(120, 34);
    layout->addWidget(m_turnonBtn, 0, Qt::AlignHCenter);
    connect(m_turnonBtn, &MGHoverButton::clicked, this, &TurboAminWindowCtrl::clickTurbo);
    connect(this, &QDialog::finished, this, [this] {
        if (m_connectTimer)
            m_connectTimer->stop();
    });
}

void TurboAminWindowCtrl::startAnimation(const QRect &around)
{
    m_imageIndex = FirstFrame;
    m_turnonBtn->setEnabled(false);
    if (!m_connectTimer) {
        m_connectTimer = new QTimer(this);
        m_connectTimer->setInterval(50);
        connect(m_connectTimer, &QTimer::timeout, this, &TurboAminWindowCtrl::updateConnectingImage);
    }
    m_connectTimer->start();
    if (!around.isNull()) {
        move(around.x() + (around.width() - width()) / 2, around.y() + (around.height() - height()) / 2);
    } else if (QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

int TurboAminWindowCtrl::showTurboWindow(const QRect &around)
{
    startAnimation(around);
    raise();
    return exec();
}

void TurboAminWindowCtrl::updateConnectingImage()
{
    if (m_imageIndex >= LastFrame + 1) {
        m_imageIndex = LastFrame;
        m_turnonBtn->setEnabled(true);
        if (m_connectTimer)
            m_connectTimer->stop();
    }
    const QImage frame = UIManager::sliceNamedInAnimation(QString::asprintf("id1-020%02d_", m_imageIndex));
    if (!frame.isNull())
        m_aminImageView->setPixmap(QPixmap::fromImage(frame));
    ++m_imageIndex;
}

bool TurboAminWindowCtrl::isTurnOnEnabled() const
{
    return m_turnonBtn->isEnabled();
}

bool TurboAminWindowCtrl::isAnimating() const
{
    return m_connectTimer && m_connectTimer->isActive();
}

void TurboAminWindowCtrl::clickTurbo()
{
    if (!m_turnonBtn->isEnabled())
        return;
    done(1);
    hide();
}
