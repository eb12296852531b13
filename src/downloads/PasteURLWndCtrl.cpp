#include "downloads/PasteURLWndCtrl.h"

#include "controls/MGHoverButton.h"
#include "downloads/DownloadURLRules.h"
#include "platform/MainBundle.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
QString tr1(const char *english) { return MainBundle::localizedString(english); }
PasteURLWndCtrl::RunHook &runHook()
{
    static PasteURLWndCtrl::RunHook hook;
    return hook;
}
} // namespace

void PasteURLWndCtrl::setRunHookForTesting(RunHook hook)
{
    runHook() = std::move(hook);
}

PasteURLWndCtrl::PasteURLWndCtrl(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr1("Paste URL"));
    setStyleSheet(QStringLiteral("QDialog{background:white;}"));
    resize(480, 190);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->addWidget(new QLabel(tr1("Copy and paste URL:"), this));
    m_txtURL = new QLineEdit(this);
    layout->addWidget(m_txtURL);
    m_lblInvalidURL = new QLabel(tr1("Invalid URL, you need to copy the URL like:")
                                     + QStringLiteral(" https://www.youtube.com/watch?v=aqz-KE-bpKQ"),
                                 this);
    m_lblInvalidURL->setStyleSheet(QStringLiteral("color:#DC322F;"));
    m_lblInvalidURL->setWordWrap(true);
    m_lblInvalidURL->hide();
    layout->addWidget(m_lblInvalidURL);
    layout->addStretch(1);
    m_btnDownload = new MGHoverButton(this);
    m_btnDownload->setButtonDisplayType(MGHoverButton::DisplayFilledLarge);
    m_btnDownload->setTitle(tr1("Download"));
    m_btnDownload->setIconSliceName(QStringLiteral("mainform-417"));
    m_btnDownload->setMinimumSize(120, 34);
    layout->addWidget(m_btnDownload, 0, Qt::AlignRight);
    connect(m_btnDownload, &MGHoverButton::clicked, this, &PasteURLWndCtrl::clickDownload);
    connect(m_txtURL, &QLineEdit::returnPressed, this, &PasteURLWndCtrl::clickDownload);
}

int PasteURLWndCtrl::showModal()
{
    if (runHook()) {
        runHook()(this);
        return result();
    }
    return exec();
}

QString PasteURLWndCtrl::getURL() const
{
    return m_txtURL->text();
}

void PasteURLWndCtrl::setURL(const QString &text)
{
    m_txtURL->setText(text);
}

bool PasteURLWndCtrl::isAcceptableText(const QString &text)
{
    return text.size() >= DownloadURLRules::MinimumAddressLength
        && (text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
            || text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)
            || text.startsWith(QLatin1String("www."), Qt::CaseInsensitive));
}

void PasteURLWndCtrl::clickDownload()
{
    if (!isAcceptableText(getURL().trimmed())) {
        m_lblInvalidURL->show();
        return;
    }
    done(1);
}

bool PasteURLWndCtrl::isInvalidLabelShown() const
{
    return !m_lblInvalidURL->isHidden();
}
