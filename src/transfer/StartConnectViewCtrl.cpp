#include "transfer/StartConnectViewCtrl.h"

#include "platform/MainBundle.h"
#include "shell/UIManager.h"
#include "transfer/ConnectViewParts.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

StartConnectViewCtrl::StartConnectViewCtrl(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("StartConnectViewCtrl"));
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addWidget(ConnectViewParts::picture(UIManager::sliceNamedInGuideMap(QStringLiteral("Guidancemap-53")), this),
                      0, Qt::AlignHCenter);
    layout->addWidget(ConnectViewParts::text(MainBundle::localizedString("Connect your device with USB cable"), 24, this));
    layout->addWidget(ConnectViewParts::text(
        MainBundle::localizedString("After the device is connected, you can directly transfer files to the device."), 14, this));
    layout->addSpacing(10);
    QLabel *supported = ConnectViewParts::text(MainBundle::localizedString("Supported Devices:"), 14, this);
    QFont bold = supported->font();
    bold.setBold(true);
    supported->setFont(bold);
    layout->addWidget(supported);
    auto *devices = new QGridLayout;
    devices->setHorizontalSpacing(8);
    const struct
    {
        const char *icon, *text;
    } rows[] = {{"mainform-544", "iPhone, iPad, iPod Touch with iOS 5 or later."},
                {"mainform-562", "Devices with Android 2.2 or later."}};
    int r = 0;
    for (const auto &row : rows) {
        devices->addWidget(ConnectViewParts::picture(UIManager::sliceNamedInMain(QString::fromLatin1(row.icon)), this), r, 0);
        QLabel *line = ConnectViewParts::text(MainBundle::localizedString(row.text), 12, this);
        line->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        line->setWordWrap(false);
        devices->addWidget(line, r++, 1);
    }
    auto *centred = new QHBoxLayout;
    centred->addStretch(1);
    centred->addLayout(devices);
    centred->addStretch(1);
    layout->addLayout(centred);
}
