#include "library/SubtitleSettingWndCtr.h"

#include "controls/MGHoverButton.h"
#include "controls/SuggestionWindow.h"
#include "library/ImageView.h"
#include "library/PlayerImages.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"

#include <QLabel>

namespace {
const QString kOnKey = QStringLiteral("SubtitleIsOnState");
}

SubtitleSettingWndCtr::SubtitleSettingWndCtr(QObject *parent)
    : QObject(parent)
{
    m_window = new SuggestionWindow;
    m_window->resize(196, 84);
    m_content = new ImageView(m_window);
    m_content->setGeometry(0, 0, 196, 84);
    auto *label = new QLabel(MainBundle::localizedString("Subtitles"), m_content);
    label->setStyleSheet(QStringLiteral("color: white; font-size: 12px;"));
    label->setGeometry(16, 12, 110, 24);
    m_switch = new MGHoverButton(m_content);
    m_switch->setImageName(PlayerImages::Sheet);
    m_switch->setGeometry(136, 12, 44, 24);
    QObject::connect(m_switch, &QAbstractButton::clicked, this, &SubtitleSettingWndCtr::clickBtnSwitch);
    m_setting = new MGHoverButton(m_content);
    m_setting->setImageName(PlayerImages::Sheet);
    m_setting->setDrawMode(1);
    m_setting->setNormalSliceName(QStringLiteral("buttonblack_normal_m"));
    m_setting->setHoverSliceName(QStringLiteral("buttonblack_down_m"));
    m_setting->setDownSliceName(QStringLiteral("buttonblack_down_m"));
    m_setting->setTextColor(Qt::white);
    m_setting->setTitle(MainBundle::localizedString("Settings..."));
    m_setting->setGeometry(16, 48, 164, 26);
    QObject::connect(m_setting, &QAbstractButton::clicked, this, &SubtitleSettingWndCtr::clickBtnSetting);
    initResource();
}

SubtitleSettingWndCtr::~SubtitleSettingWndCtr()
{
    delete m_subtitleWndCtr;
    delete m_window;
}

QSize SubtitleSettingWndCtr::windowSize() const
{
    return m_window->size();
}

void SubtitleSettingWndCtr::initResource()
{
    m_nOriginalState = int(UserDefaults::standard().integerForKey(kOnKey));
    setSwitchBtnStatus(m_nOriginalState != 0);
    m_content->setImage(PlayerImages::named(QStringLiteral("btnCtrlViewImage")));
    m_content->setScaleImage(true);
}

void SubtitleSettingWndCtr::showWindowAtLocation(const QPoint &topLeft, QWidget *parentWnd)
{
    m_parentWnd = parentWnd;
    initResource();
    m_window->move(topLeft);
    m_window->beginFakeMenu();
}

void SubtitleSettingWndCtr::setSwitchBtnStatus(bool on)
{
    const QString image = on ? QStringLiteral("CCSwitch_on") : QStringLiteral("CCSwitch_off");
    const QString alternate = on ? QStringLiteral("CCSwitch_off") : QStringLiteral("CCSwitch_on");
    m_switch->setNormalSliceName(image);
    m_switch->setHoverSliceName(image);
    m_switch->setDownSliceName(alternate);
    m_switch->update();
    m_switchTag = on ? 1 : 0;
    UserDefaults::standard().setBool(kOnKey, on);
    UserDefaults::standard().synchronize();
}

void SubtitleSettingWndCtr::clickBtnSwitch()
{
    const bool on = !UserDefaults::standard().boolForKey(kOnKey);
    setSwitchBtnStatus(on);
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_CaptionBtnCount"),
                                                on ? QStringLiteral("Id_CaptionBtn_Open")
                                                   : QStringLiteral("Id_CaptionBtn_Close"));
    if (m_delegate) {
        m_delegate->settingWndCtrDidChangeStatus(this, on);
        closeWindow(m_switch);
    }
}

void SubtitleSettingWndCtr::clickBtnSetting()
{
    m_window->endFakeMenu();
    if (!m_subtitleWndCtr) {
        m_subtitleWndCtr = new SubtitleWndCtr(m_parentWnd);
        m_subtitleWndCtr->setDelegate(this);
    }
    QPoint topLeft;
    if (m_parentWnd) {
        const QRect p = m_parentWnd->frameGeometry();
        // Centred on the player's window (y grows downwards here).
        topLeft = QPoint(p.x() + p.width() / 2 - m_subtitleWndCtr->width() / 2,
                         p.y() + p.height() / 2 - m_subtitleWndCtr->height() / 2);
    }
    m_subtitleWndCtr->showWindowAtLocation(topLeft);
}

bool SubtitleSettingWndCtr::isShown() const
{
    return m_window->isVisible();
}

void SubtitleSettingWndCtr::closeWindow(QObject *sender)
{
    if (m_window->isVisible())
        m_window->endFakeMenu();
    if (!sender && m_subtitleWndCtr && m_subtitleWndCtr->isVisible())
        m_subtitleWndCtr->closeWindow(SubtitleWndCtr::TagNone);
}

void SubtitleSettingWndCtr::subtitleWndDidClosed(SubtitleWndCtr *)
{
    if (m_switchTag == 1 && m_delegate)
        m_delegate->settingWndCtrDidModified(this);
}
