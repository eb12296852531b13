#include "shell/TimeSchedulerViewCtrl.h"

#include "controls/MGHoverButton.h"
#include "controls/MenuItemView.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"
#include "shell/ShellRegistry.h"
#include "shell/TimeSchedulerViewDelegate.h"
#include "shell/UIManager.h"

#include <QLabel>

namespace {
constexpr int Width = 220;
constexpr int HeadHeight = 30;
constexpr int FootHeight = 46;
} // namespace

TimeSchedulerViewCtrl::TimeSchedulerViewCtrl(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TimeSchedulerViewCtrl"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#TimeSchedulerViewCtrl{background:#FFFFFF;}"));
    m_lblTaskComplete = new QLabel(MainBundle::localizedString("When task is complete"), this);
    m_lblTaskComplete->setStyleSheet(QStringLiteral("color: #8a939b;"));
    m_lblTaskComplete->setGeometry(14, 0, Width - 28, HeadHeight);
    for (int tag = 1; tag <= 4; ++tag) {
        auto *item = new MenuItemView(this);
        item->setTitle(titleForMode(tag));
        item->setTagValue(tag);
        item->setIcon(UIManager::sliceNamedInMain(QStringLiteral("mainform-%1").arg(563 + tag)));
        item->setTarget(this);
        item->setSelector("menuItemClick");
        item->setGeometry(0, HeadHeight + (tag - 1) * ItemHeight, Width, ItemHeight);
        m_items[tag - 1] = item;
    }
    m_btnTimeSchedule = new MGHoverButton(this);
    m_btnTimeSchedule->setObjectName(QStringLiteral("timeSchedulerOptionButton"));
    m_btnTimeSchedule->setButtonDisplayType(MGHoverButton::DisplayDialog);
    m_btnTimeSchedule->setTitle(MainBundle::localizedString("Time Scheduler"));
    m_btnTimeSchedule->setGeometry(14, HeadHeight + 4 * ItemHeight + 8, Width - 28, 30);
    connect(m_btnTimeSchedule, &QAbstractButton::clicked, this, &TimeSchedulerViewCtrl::timeSchedulerOptionClick);
    resize(sizeHint());
    setDefaultSelectedMenuItem();
}

TimeSchedulerViewCtrl::~TimeSchedulerViewCtrl()
{
    m_delegate = nullptr;
}

QSize TimeSchedulerViewCtrl::sizeHint() const
{
    return QSize(Width, HeadHeight + 4 * ItemHeight + FootHeight);
}

QString TimeSchedulerViewCtrl::titleForMode(int mode)
{
    switch (mode) {
    case 2: return MainBundle::localizedString("Shutdown");
    case 3: return MainBundle::localizedString("Sleep");
    case 4: return MainBundle::localizedString("Quit Fennix Pro");
    default: return MainBundle::localizedString("Do nothing");
    }
}

void TimeSchedulerViewCtrl::setDefaultSelectedMenuItem()
{
    const qint64 stored = UserDefaults::standard().integerForKey(QStringLiteral("TimeSchedulerMode"));
    const int mode = stored >= 1 && stored <= 4 ? int(stored) : 1;
    for (MenuItemView *item : m_items) {
        item->setIsSelected(item->tagValue() == mode);
        item->update();
    }
}

void TimeSchedulerViewCtrl::menuItemClick(QObject *sender)
{
    auto *clicked = qobject_cast<MenuItemView *>(sender);
    if (!clicked)
        return;
    // A click on the marked item keeps it marked: one choice is always in force.
    for (MenuItemView *item : m_items) {
        item->setIsSelected(item == clicked);
        item->update();
    }
    UserDefaults &d = UserDefaults::standard();
    d.setInteger(QStringLiteral("TimeSchedulerMode"), clicked->tagValue());
    d.setString(QStringLiteral("TimeSchedulerModeLable"), clicked->title());
    d.synchronize();
    if (m_delegate)
        m_delegate->timeSchedulerValueDidChange(this);
}

void TimeSchedulerViewCtrl::timeSchedulerOptionClick()
{
    emit optionsWillOpen();
    ShellRegistry::openWindow(QStringLiteral("TimeScheduler"), m_owner ? m_owner.data() : window());
}
