#include "downloads/DownloadFinishedNotice.h"

#include "controls/MGHoverButton.h"
#include "platform/DesktopNotification.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

DownloadFinishedNotice::DownloadFinishedNotice(QWidget *window, const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_window(window), m_desktop(new DesktopNotification(bus, this))
{
    connect(m_desktop, &DesktopNotification::actionInvoked, this, &DownloadFinishedNotice::act);
    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &DownloadFinishedNotice::hideInWindow);
}

DownloadFinishedNotice::~DownloadFinishedNotice()
{
    delete m_box.data();
}

QWidget *DownloadFinishedNotice::inWindowMessage() const
{
    return m_box && m_box->isVisible() ? m_box.data() : nullptr;
}

void DownloadFinishedNotice::downloadDidFinish(const QString &title, const QString &filePath, std::function<void()> play)
{
    // Stored as an integer by the preferences, as a boolean by older settings.
    if (!UserDefaults::standard().boolForKey(QStringLiteral("PopupWhenDownloadSuccess")))
        return;
    m_filePath = filePath;
    m_play = std::move(play);
    const QString shown = title.isEmpty() ? QFileInfo(filePath).completeBaseName() : title;
    const DesktopNotification::Actions actions = {{QStringLiteral("play"), MainBundle::localizedString("Play")},
                                                  {QStringLiteral("folder"), MainBundle::localizedString("Show in Folder")}};
    QPointer<DownloadFinishedNotice> self(this);
    m_desktop->notify(MainBundle::localizedString("Download completed"), shown, actions, [self, shown](bool delivered) {
        if (self && !delivered)
            self->showInWindow(shown);
    });
}

void DownloadFinishedNotice::act(const QString &key)
{
    if (key == QLatin1String("play")) {
        if (m_play)
            m_play();
        else if (!m_filePath.isEmpty())
            Workspace::openFile(m_filePath);
    } else if (key == QLatin1String("folder") && !m_filePath.isEmpty()) {
        Workspace::revealInFileManager({m_filePath});
    }
}

void DownloadFinishedNotice::showInWindow(const QString &title)
{
    QWidget *host = m_window ? m_window->window() : nullptr;
    if (!host)
        return;
    if (!m_box) {
        m_box = new QWidget(host);
        m_box->setObjectName(QStringLiteral("DownloadFinishedMessage"));
        m_box->setAttribute(Qt::WA_StyledBackground);
        m_box->setStyleSheet(QStringLiteral("#DownloadFinishedMessage{background:#FFFFFF;border:1px solid #D5DBDF;border-radius:6px;}"));
        auto *layout = new QVBoxLayout(m_box);
        layout->setContentsMargins(14, 10, 14, 10);
        auto *head = new QLabel(MainBundle::localizedString("Download completed"), m_box);
        QFont bold = head->font();
        bold.setBold(true);
        head->setFont(bold);
        m_text = new QLabel(m_box);
        // A page title is text, never markup.
        m_text->setTextFormat(Qt::PlainText);
        m_text->setMaximumWidth(300);
        auto *buttons = new QHBoxLayout;
        m_playBtn = new MGHoverButton(m_box);
        m_playBtn->setTitle(MainBundle::localizedString("Play"));
        m_folderBtn = new MGHoverButton(m_box);
        m_folderBtn->setTitle(MainBundle::localizedString("Show in Folder"));
        for (MGHoverButton *b : {m_playBtn, m_folderBtn}) {
            b->setButtonDisplayType(MGHoverButton::DisplayDialog);
            b->setMinimumSize(110, 28);
            buttons->addWidget(b);
        }
        connect(m_playBtn, &QAbstractButton::clicked, this, [this] {
            hideInWindow();
            act(QStringLiteral("play"));
        });
        connect(m_folderBtn, &QAbstractButton::clicked, this, [this] {
            hideInWindow();
            act(QStringLiteral("folder"));
        });
        layout->addWidget(head);
        layout->addWidget(m_text);
        layout->addLayout(buttons);
    }
    m_text->setText(m_text->fontMetrics().elidedText(title, Qt::ElideMiddle, 300));
    m_text->setToolTip(title);
    m_box->adjustSize();
    // Bottom right of the window, above the status line.
    m_box->move(host->width() - m_box->width() - 16, host->height() - m_box->height() - 40);
    m_box->show();
    m_box->raise();
    m_hideTimer.start(InWindowMilliseconds);
}

void DownloadFinishedNotice::hideInWindow()
{
    m_hideTimer.stop();
    if (m_box)
        m_box->hide();
}
