#include "transfer/ConnectFailedViewCtrl.h"

#include "controls/MGHoverButton.h"
#include "platform/MainBundle.h"
#include "shell/UIManager.h"
#include "controls/QVUrlLabel.h"
#include "transfer/ConnectViewParts.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {

QString tr1(const char *english) { return MainBundle::localizedString(english); }

} // namespace

ConnectFailedViewCtrl::ConnectFailedViewCtrl(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ConnectFailedViewCtrl"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    swithViewWithType(General);
}

void ConnectFailedViewCtrl::swithViewWithType(int type)
{
    if (type < General || type > IOSTrust)
        type = General;
    delete m_panel;
    m_button = nullptr;
    m_type = type;
    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("failedPanel%1").arg(type));
    auto *layout = new QVBoxLayout(m_panel);
    layout->setSpacing(12);
    auto addPicture = [&](const QImage &image) {
        layout->addWidget(ConnectViewParts::picture(image, m_panel), 0, Qt::AlignHCenter);
    };
    auto addText = [&](const QString &text, int points) {
        layout->addWidget(ConnectViewParts::text(text, points, m_panel));
    };
    switch (type) {
    case AndroidAuthorization:
        addPicture(UIManager::sliceNamedInstructions(QStringLiteral("AndroidDebug")));
        addText(tr1("Computer must be authorized before connecting to device. It has not been authorized yet."), 14);
        m_button = ConnectViewParts::actionButton(tr1("Reconnect"), QStringLiteral("btnReconnect"), m_panel);
        break;
    case Asleep:
        addPicture(UIManager::sliceNamedInstructions(QStringLiteral("AndroidSleep")));
        addText(tr1("Your device is asleep. Re-plug your device and try again."), 14);
        break;
    case IOSPasscode:
        addPicture(UIManager::sliceNamedInstructions(QStringLiteral("Instructions-13")));
        addText(tr1("Enter your passcode on your iOS device."), 14);
        m_button = ConnectViewParts::actionButton(tr1("Next"), QStringLiteral("btnNext"), m_panel);
        break;
    case IOSTrust:
        addPicture(UIManager::sliceNamedInstructions(QStringLiteral("Instructions-16")));
        addText(tr1("Choose TRUST on your iDevice if there is a popup."), 14);
        m_button = ConnectViewParts::actionButton(tr1("Next"), QStringLiteral("btnNext"), m_panel);
        break;
    default: {
        addPicture(UIManager::sliceNamedInGuideMap(QStringLiteral("Guidancemap-55")));
        addText(tr1("Connection to your device failed!"), 24);
        auto *steps = new QVBoxLayout;
        steps->setSpacing(4);
        auto step = [&](QWidget *w) {
            if (auto *label = qobject_cast<QLabel *>(w)) {
                label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                label->setWordWrap(false);
            }
            steps->addWidget(w, 0, Qt::AlignLeft);
        };
        step(ConnectViewParts::text(tr1("1. Re-plug your device and try again."), 12, m_panel));
        step(ConnectViewParts::text(tr1("2. Try another USB cable or USB port."), 12, m_panel));
        step(ConnectViewParts::text(tr1("3. Restart %@.").replace(QStringLiteral("%@"), ConnectViewParts::bundleName()), 12, m_panel));
        step(ConnectViewParts::helpLink(tr1("4. FAQs."), QStringLiteral("FAQURL"), m_panel, 12));
        step(ConnectViewParts::helpLink(tr1("5. Contact our Support Center."), QStringLiteral("SupportURL"), m_panel, 12));
        step(ConnectViewParts::text(tr1("6.You can feedback the log to us."), 12, m_panel));
        auto *centred = new QHBoxLayout;
        centred->addStretch(1);
        centred->addLayout(steps);
        centred->addStretch(1);
        layout->addLayout(centred);
        m_button = ConnectViewParts::actionButton(tr1("Retry"), QStringLiteral("btnRetry"), m_panel);
        break;
    }
    }
    if (m_button) {
        // Every panel's button connects again.
        connect(m_button, &MGHoverButton::clicked, this, &ConnectFailedViewCtrl::clickReconnect);
        layout->addWidget(m_button, 0, Qt::AlignHCenter);
    }
    static_cast<QVBoxLayout *>(this->layout())->addWidget(m_panel);
    // A panel made while the view is on screen is not shown by its layout.
    m_panel->show();
    adjustSize();
}

void ConnectFailedViewCtrl::clickReconnect()
{
    if (m_delegate)
        m_delegate->reconnectDevice();
}

void ConnectFailedViewCtrl::clickSwitch()
{
    if (m_delegate)
        m_delegate->switchDevice();
}
