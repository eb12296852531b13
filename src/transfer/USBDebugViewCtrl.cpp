#include "transfer/USBDebugViewCtrl.h"

#include "controls/MGHoverButton.h"
#include "controls/QVUrlLabel.h"
#include "platform/MainBundle.h"
#include "shell/UIManager.h"
#include "transfer/ConnectViewParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QColor Grey236 = QColor::fromRgbF(0.236f, 0.236f, 0.236f);
const QColor Grey572 = QColor::fromRgbF(0.572f, 0.572f, 0.572f);
const QColor Grey904 = QColor::fromRgbF(0.904f, 0.904f, 0.904f);

QImage flat(const QColor &color)
{
    QImage image(90, 2, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

} // namespace

QString USBDebugViewCtrl::stepText(int tag)
{
    static const char *const texts[] = {
        "Enter \"Settings\">\"About Device\"",
        "Click the \"Software info\" option",
        "Tap  \"Build Number\" 7 times in \nrapid succession > \"Back\"",
        "\"Developer Options\"",
        "Turn on \"Developer Options\" > \"USB \nDebugging\"",
        "Enter \"Settings\"",
        "\"USB Debugging\"",
        "\"Applications\"",
        "\"Development\"",
    };
    return tag >= 0 && tag < int(std::size(texts)) ? MainBundle::localizedString(texts[tag]) : QString();
}

USBDebugViewCtrl::USBDebugViewCtrl(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("USBDebugViewCtrl"));
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    auto left = [this](const QString &text, int points, const QColor &color) {
        QLabel *l = ConnectViewParts::text(text, points, this, color);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return l;
    };
    layout->addWidget(left(MainBundle::localizedString("Follow the steps to enable USB Debugging:"), 16, Grey236));
    layout->addWidget(left(MainBundle::localizedString(
                               "1. Check Android version in your device (Setting > About device > Android version)"),
                           12, Grey236));
    layout->addWidget(left(MainBundle::localizedString("2. Open USB Debugging"), 12, Grey236));

    auto *bar = new QHBoxLayout;
    bar->setSpacing(0);
    const char *const titles[] = {"For 6.0+", "For 4.2~5.1", "For 3.0~4.1", "For 2.0~2.3"};
    for (int i = 0; i < 4; ++i) {
        auto *b = new MGHoverButton(this);
        b->setObjectName(QStringLiteral("versionTab%1").arg(i + 1));
        b->setTitle(MainBundle::localizedString(titles[i]));
        QFont font(QStringLiteral("Helvetica"));
        font.setPointSize(12);
        b->setFont(font);
        b->setFixedSize(120, 30);
        connect(b, &MGHoverButton::clicked, this, [this, i] { selectVersionTag(i + 1); });
        m_buttons << b;
        auto *underline = new QLabel(this);
        underline->setFixedSize(90, 2);
        m_underlines << underline;
        auto *column = new QVBoxLayout;
        column->setSpacing(0);
        column->addWidget(b, 0, Qt::AlignHCenter);
        column->addWidget(underline, 0, Qt::AlignHCenter);
        bar->addLayout(column);
    }
    bar->addStretch(1);
    layout->addLayout(bar);

    // The steps of each version, by their text tags.
    const QList<int> steps[] = {{0, 1, 2, 3, 4}, {0, 2, 3, 4}, {5, 3, 6}, {5, 7, 8, 6}};
    m_tabs = new QStackedWidget(this);
    for (int t = 0; t < 4; ++t) {
        auto *page = new QWidget(m_tabs);
        auto *row = new QHBoxLayout(page);
        row->addWidget(ConnectViewParts::picture(
                           UIManager::sliceNamedInstructions(QStringLiteral("usb-debugging-%1").arg(t + 1)), page),
                       0, Qt::AlignTop);
        auto *list = new QVBoxLayout;
        int n = 1;
        for (int tag : steps[t]) {
            QLabel *step = ConnectViewParts::text(QStringLiteral("%1. ").arg(n++) + stepText(tag), 12, page, Grey236);
            step->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            step->setObjectName(QStringLiteral("step%1").arg(tag));
            list->addWidget(step);
        }
        list->addStretch(1);
        row->addLayout(list, 1);
        m_tabs->addWidget(page);
    }
    layout->addWidget(m_tabs, 1);
    m_link = ConnectViewParts::helpLink(
        MainBundle::localizedString("What to do if my device can't be connected with %@?")
            .replace(QStringLiteral("%@"), ConnectViewParts::bundleName()),
        QStringLiteral("UnConnectFAQURL"), this);
    layout->addWidget(m_link, 0, Qt::AlignLeft);
    selectVersionTag(1);
}

void USBDebugViewCtrl::selectVersionTag(int tag)
{
    if (tag < 1 || tag > 4)
        return;
    for (int i = 0; i < m_buttons.size(); ++i) {
        MGHoverButton *b = m_buttons[i];
        const bool selected = i == tag - 1;
        const QColor color = selected ? ConnectViewParts::Green : Grey572;
        b->setTextColor(color);
        b->setProperty("selected", selected);
        m_underlines[i]->setPixmap(QPixmap::fromImage(flat(selected ? ConnectViewParts::Green : Grey904)));
        b->update();
    }
    m_tabs->setCurrentIndex(tag - 1);
}

int USBDebugViewCtrl::currentTab() const { return m_tabs->currentIndex(); }
