#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class DesktopNotification;
class MGHoverButton;
class QLabel;
class QWidget;

// Tells the user that a download finished ("PopupWhenDownloadSuccess", on unless switched
// off): a desktop notification with Play and Show in Folder, or, where no notification server
// answers, the same message inside the main window for a few seconds.
class DownloadFinishedNotice : public QObject
{
    Q_OBJECT
public:
    static constexpr int InWindowMilliseconds = 8000;

    explicit DownloadFinishedNotice(QWidget *window, const QDBusConnection &bus = QDBusConnection::sessionBus(),
                                    QObject *parent = nullptr);
    ~DownloadFinishedNotice() override;

    // play: how the application plays the file (null: the desktop's player).
    void downloadDidFinish(const QString &title, const QString &filePath, std::function<void()> play);

    // The in-window message while it shows (null otherwise).
    QWidget *inWindowMessage() const;
    MGHoverButton *playButton() const { return m_playBtn; }
    MGHoverButton *showInFolderButton() const { return m_folderBtn; }

private:
    void showInWindow(const QString &title);
    void hideInWindow();
    void act(const QString &key);

    QPointer<QWidget> m_window;
    DesktopNotification *m_desktop;
    QPointer<QWidget> m_box;
    QLabel *m_text = nullptr;
    MGHoverButton *m_playBtn = nullptr;
    MGHoverButton *m_folderBtn = nullptr;
    QTimer m_hideTimer;
    // What the last notice's buttons act on.
    QString m_filePath;
    std::function<void()> m_play;
};
