#include "downloads/AddNewSiteWinCtrl.h"

#include "controls/MGHoverButton.h"
#include "downloads/OnlineWebViewCtrl.h"
#include "downloads/SiteNodeData.h"
#include "platform/MainBundle.h"
#include "shell/NSStringURL.h"
#include "shell/NSWindowCommon.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

AddNewSiteWinCtrl::AddNewSiteWinCtrl(const SiteNodePtr &node, QWidget *parent)
    : ShellDialog(parent)
    , m_siteNode(node)
{
    setObjectName(QStringLiteral("AddNewSiteWindow"));
    setTitleText(MainBundle::localizedString("Add New"));
    setFixedSize(420, 210);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(20, TitleStripHeight + 16, 20, 16);
    grid->setVerticalSpacing(10);
    m_urlTextField = new QLineEdit(QStringLiteral("http://"), this);
    m_titleTextField = new QLineEdit(this);
    grid->addWidget(new QLabel(MainBundle::localizedString("Enter the URL"), this), 0, 0);
    grid->addWidget(m_urlTextField, 0, 1);
    grid->addWidget(new QLabel(MainBundle::localizedString("Enter a title"), this), 1, 0);
    grid->addWidget(m_titleTextField, 1, 1);
    auto *buttons = new QHBoxLayout;
    m_cancelBtn = new MGHoverButton(this);
    m_okBtn = new MGHoverButton(this);
    for (auto [b, title] : {std::pair{m_cancelBtn, "Cancel"}, std::pair{m_okBtn, "OK"}}) {
        b->setButtonDisplayType(MGHoverButton::DisplayDialog);
        b->setTitle(MainBundle::localizedString(title));
        b->setMinimumSize(80, 28);
    }
    buttons->addStretch();
    buttons->addWidget(m_cancelBtn);
    buttons->addWidget(m_okBtn);
    grid->setRowStretch(2, 1);
    grid->addLayout(buttons, 3, 0, 1, 2);
    connect(m_okBtn, &QAbstractButton::clicked, this, &AddNewSiteWinCtrl::okButton);
    connect(m_cancelBtn, &QAbstractButton::clicked, this, &AddNewSiteWinCtrl::cancelButton);
    connect(m_urlTextField, &QLineEdit::textChanged, this, &AddNewSiteWinCtrl::controlTextDidChange);
    controlTextDidChange();
}

int AddNewSiteWinCtrl::runModal()
{
    if (parentWidget())
        NSWindowCommon::moveToWindowCenter(this, parentWidget()->window());
    return exec();
}

void AddNewSiteWinCtrl::controlTextDidChange()
{
    const QString text = m_urlTextField->text().toLower();
    m_okBtn->setEnabled(!text.isEmpty() && text != QLatin1String("http://") && text != QLatin1String("https://") &&
                        NSStringURL::isValidURL(text));
}

bool AddNewSiteWinCtrl::isURLValid() const
{
    const QString text = m_urlTextField->text();
    return !text.isEmpty() && text != MainBundle::localizedString("DescriptionPlaceHolder") &&
           NSStringURL::isValidURL(NSStringURL::trimURL(text));
}

void AddNewSiteWinCtrl::okButton()
{
    if (!isURLValid()) {
        NSWindowCommon::shakeWindow(this);
        m_urlTextField->setFocus();
        return;
    }
    const QString address = OnlineWebViewCtrl::browserURL(NSStringURL::trimURL(m_urlTextField->text()));
    m_siteNode->setLoaded(false);
    m_siteNode->setSiteURL(address);
    const QString title = m_titleTextField->text().trimmed();
    m_siteNode->setSiteTitle(title.isEmpty() ? NSStringURL::urlTitle(address) : title);
    done(1);
}

void AddNewSiteWinCtrl::cancelButton()
{
    done(0);
}
