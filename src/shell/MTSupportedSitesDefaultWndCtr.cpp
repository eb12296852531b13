#include "shell/MTSupportedSitesDefaultWndCtr.h"

#include "platform/MainBundle.h"
#include "platform/Workspace.h"
#include "shell/BrowserHandOffPage.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

class SupportedSitesPage : public BrowserHandOffPage
{
public:
    using BrowserHandOffPage::BrowserHandOffPage;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame) override
    {
        if (!isMainFrame || MTSupportedSitesDefaultWndCtr::isOwnPage(url))
            return true;
        Workspace::openUrl(url);
        return false;
    }
};

} // namespace

QUrl MTSupportedSitesDefaultWndCtr::siteListURL()
{
    const QString path = MainBundle::pathForResource(QStringLiteral("MTSupportedSites"), QStringLiteral("html"));
    if (path.startsWith(QLatin1String(":/")))
        return QUrl(QStringLiteral("qrc") + path);
    return path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path);
}

bool MTSupportedSitesDefaultWndCtr::isOwnPage(const QUrl &url)
{
    const QUrl own = siteListURL();
    return own.isValid() && url.scheme() == own.scheme() && url.host() == own.host() && url.path() == own.path();
}

QString MTSupportedSitesDefaultWndCtr::headlineHtml(const QString &text)
{
    const QString marked = QStringLiteral("10,000+");
    QString html = text.toHtmlEscaped();
    html.replace(marked, QStringLiteral("<span style=\"font-weight:bold; color:#71acdd;\">%1</span>").arg(marked));
    return QStringLiteral("<span style=\"color:black;\">%1</span>").arg(html);
}

MTSupportedSitesDefaultWndCtr::MTSupportedSitesDefaultWndCtr(QWidget *parent)
    : ShellDialog(parent)
{
    setObjectName(QStringLiteral("SupportedSitesWindow"));
    setTitleText(MainBundle::localizedString("Supported Sites"));
    resize(760, 560);
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, TitleStripHeight, 0, 0);
    root->setSpacing(0);
    setStyleSheet(QStringLiteral("#SupportedSitesWindow { background: #efefef; }"));
    m_txtTitle = new QLabel(this);
    QFont f = m_txtTitle->font();
    f.setPixelSize(28);
    m_txtTitle->setFont(f);
    m_txtTitle->setTextFormat(Qt::RichText);
    m_txtTitle->setAlignment(Qt::AlignCenter);
    m_txtTitle->setText(headlineHtml(MainBundle::localizedString("100+ Websites Supported")));
    m_txtPopular = new QLabel(MainBundle::localizedString("Most popular"), this);
    m_txtPopular->setAlignment(Qt::AlignCenter);
    root->addSpacing(14);
    root->addWidget(m_txtTitle);
    root->addWidget(m_txtPopular);
    m_supportedSitesView = new QWebEngineView(this);
    m_supportedSitesView->setPage(new SupportedSitesPage(m_supportedSitesView));
    m_supportedSitesView->page()->setBackgroundColor(Qt::transparent);
    m_supportedSitesView->setContextMenuPolicy(Qt::NoContextMenu);
    root->addWidget(m_supportedSitesView, 1);
    const QUrl url = siteListURL();
    if (url.isValid())
        m_supportedSitesView->load(url);
}

void MTSupportedSitesDefaultWndCtr::closeWindow()
{
    done(0);
}
