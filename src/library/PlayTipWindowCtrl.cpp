#include "library/PlayTipWindowCtrl.h"

#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "library/PlayTipWindowCtrlDelegate.h"
#include "platform/MainBundle.h"

#include <QLabel>

PlayTipWindowCtrl::PlayTipWindowCtrl(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PlayTipWindowCtrl"));
    setWindowTitle(MainBundle::localizedString("Fennix Pro"));
    setModal(true);
    setFixedSize(420, 150);
    setStyleSheet(QStringLiteral("PlayTipWindowCtrl{background:#FFFFFF;}"));
    m_lblTip = new QLabel(MainBundle::localizedString("The file is still being converted. Play it anyway?"), this);
    m_lblTip->setWordWrap(true);
    m_lblTip->setStyleSheet(QStringLiteral("color: #2f3439;"));
    m_lblTip->setGeometry(24, 18, 372, 48);
    m_checkBtn = new MGCheckButton(this);
    m_checkBtn->setTitle(MainBundle::localizedString("Don't show this again"));
    m_checkBtn->setGeometry(24, 72, 260, 22);
    m_cancelBtn = new MGHoverButton(this);
    m_playBtn = new MGHoverButton(this);
    for (MGHoverButton *b : {m_cancelBtn, m_playBtn})
        b->setButtonDisplayType(MGHoverButton::DisplayDialog);
    m_cancelBtn->setTitle(MainBundle::localizedString("Cancel"));
    m_playBtn->setTitle(MainBundle::localizedString("Play"));
    m_cancelBtn->setGeometry(188, 106, 100, 30);
    m_playBtn->setGeometry(296, 106, 100, 30);
    connect(m_cancelBtn, &QAbstractButton::clicked, this, &PlayTipWindowCtrl::cancelOpration);
    connect(m_playBtn, &QAbstractButton::clicked, this, &PlayTipWindowCtrl::playOpration);
}

PlayTipWindowCtrl::~PlayTipWindowCtrl()
{
    m_delegate = nullptr;
}

void PlayTipWindowCtrl::cancelOpration()
{
    m_ending = true;
    done(QDialog::Rejected);
    hide();
    m_ending = false;
    if (m_delegate)
        m_delegate->cancelWillEndPlay(this);
}

void PlayTipWindowCtrl::playOpration()
{
    done(QDialog::Accepted);
    hide();
    if (m_delegate)
        m_delegate->resumeWillPlay(this);
}

void PlayTipWindowCtrl::reject()
{
    // Escape and the window's close button answer as Cancel does.
    if (m_ending)
        QDialog::reject();
    else
        cancelOpration();
}
