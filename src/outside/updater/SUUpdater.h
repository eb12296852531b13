#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

class SUUpdater;

class SUUpdaterDelegate
{
public:
    virtual ~SUUpdaterDelegate() = default;
    virtual void updaterWillInstallUpdate(SUUpdater *updater, const QString &version) { (void)updater; (void)version; }
    virtual void updaterWillRelaunchApplication(SUUpdater *updater) { (void)updater; }
};

// The software updater. It keeps the automatic-check setting and the check interval and, when
// the bundle names an appcast feed (Info.plist "SUFeedURL"; none by default), checks it on that
// schedule and reports a newer version. It never downloads or installs anything itself.
class SUUpdater : public QObject
{
    Q_OBJECT
public:
    static constexpr double DefaultInterval = 604800;   // one week
    static constexpr double MinimumInterval = 3600;     // checks are never closer than an hour
    static constexpr qint64 MaxFeedBytes = 1024 * 1024;

    static SUUpdater &sharedUpdater();
    // The bundle's "SUFeedURL" when it is an http(s) address; empty otherwise (no updates).
    static QUrl configuredFeedURL();
    explicit SUUpdater(const QUrl &feedUrl, QObject *parent = nullptr);

    void setDelegate(SUUpdaterDelegate *delegate) { m_delegate = delegate; }
    SUUpdaterDelegate *delegate() const { return m_delegate; }
    void setAutomaticallyChecksForUpdates(bool on);
    bool automaticallyChecksForUpdates() const { return m_automatic; }
    // Seconds; values under MinimumInterval (and NaN) are raised to it for the schedule.
    void setUpdateCheckInterval(double seconds);
    double updateCheckInterval() const { return m_interval; }
    QUrl feedURL() const { return m_feed; }
    bool isCheckScheduled() const { return m_timer.isActive(); }

    // Fetches the feed now (no-op without a feed); the answer comes as a signal.
    void checkForUpdatesInBackground();
    // The highest "sparkle:version" (or "sparkle:shortVersionString") of the feed's items;
    // empty when the text is not a feed.
    static QString newestVersionInAppcast(const QByteArray &xml);
    // Dotted numeric comparison: -1, 0, 1.
    static int compareVersions(const QString &a, const QString &b);

signals:
    void updateFound(const QString &version);
    void noUpdateFound();
    void checkFailed(const QString &error);

private:
    void reschedule();

    SUUpdaterDelegate *m_delegate = nullptr;
    QUrl m_feed;
    bool m_automatic = false;
    double m_interval = DefaultInterval;
    QTimer m_timer;
    bool m_checking = false;
};
