#include "shell/AboutWindowCtrl.h"

#include "controls/QVUrlLabel.h"
#include "platform/MainBundle.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

AboutWindowCtrl::AboutWindowCtrl(QWidget *parent)
    : ShellDialog(parent)
{
    setObjectName(QStringLiteral("AboutWindow"));
    setTitleText(MainBundle::localizedString("About"));
    setFixedSize(440, 330);
    // The window's texts come from its own table; a key without an entry is its own text.
    auto text = [](const char *key) { return MainBundle::localizedString(QString::fromLatin1(key), QStringLiteral("AboutWindowCtrl")); };
    auto info = [](const char *key) { return MainBundle::infoString(QString::fromLatin1(key)); };

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(24, TitleStripHeight + 16, 24, 18);
    root->setSpacing(6);
    m_iconImageView = new QLabel(this);
    m_iconImageView->setAlignment(Qt::AlignCenter);
    m_iconImageView->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    m_displayName = new QLabel(info("CFBundleDisplayName"), this);
    QFont big = m_displayName->font();
    big.setPixelSize(20);
    big.setBold(true);
    m_displayName->setFont(big);
    m_displayVersion = new QLabel(QStringLiteral("%1 %2").arg(text("Version:"), info("CFBundleVersion")), this);
    m_companyInfo = new QLabel(text("CFBundleCompanyIntroduction"), this);
    m_companyInfo->setWordWrap(true);
    m_learnMore = new QLabel(text("learnmore"), this);
    m_copyright = new QLabel(info("NSHumanReadableCopyright"), this);
    m_copyright->setStyleSheet(QStringLiteral("color: #8a949c;"));
    for (QLabel *l : {m_iconImageView, m_displayName, m_displayVersion, m_companyInfo, m_learnMore, m_copyright}) {
        l->setAlignment(Qt::AlignCenter);
        root->addWidget(l);
    }
    auto *links = new QHBoxLayout;
    m_homePage = new QVUrlLabel(this);
    m_productPage = new QVUrlLabel(this);
    for (auto [label, title, key] : {std::tuple{m_homePage, "Homepage", "HomePageURL"},
                                     std::tuple{m_productPage, "ProductOverview", "ProductPageURL"}}) {
        label->setStringValue(text(title));
        label->setUrl(info(key));
        label->setEnableClick(!label->url().isEmpty());
        label->resetAttributedString();
        links->addWidget(label);
    }
    root->addLayout(links);
}
