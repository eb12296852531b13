#pragma once

#include "extension/json/SBJsonValue.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <mutex>
#include <optional>

class BriskletObserver;
class QTimer;

// The one object of the bundle that knows the browsers: whether Chromium/Chrome and Firefox
// are installed and running, which version of our extension each has, which version the
// bundle carries, and how to install, update and remove it. Safari does not exist here: it
// is never installed and every Safari call answers "" or false. Failures are silent by design
// (an empty version, false); the pages show the truth at the next one-second check.
class BrowserExtensionManager : public QObject
{
    Q_OBJECT

public:
    static BrowserExtensionManager *defaultManager();
    // A manager of its own (tests); the bundle uses the shared one.
    explicit BrowserExtensionManager(QObject *parent = nullptr);

    // Where the packaged extensions are: "<chrome id>/install.json" (the unpacked Chromium
    // extension) and "<firefox id>.xpi". Set by the entrance to the folder beside the plug-in.
    void setResourcesFolder(const QString &folder);
    QString resourcesFolder() const;

    bool isSafariInstalled() const { return false; }
    bool isChromeInstalled() const;
    bool isFirefoxInstalled() const;
    bool isSafariRunning() const { return false; }
    bool isChromeRunning() const;
    bool isFirefoxRunning() const;
    // The browser's processes of this user get SIGTERM (the pages ask the user first).
    bool terminateSafari() { return false; }
    bool terminateChrome();
    bool terminateFirefox();

    QString installedSafariExtensionVersionNamed(const QString &) const { return {}; }
    QString installedChromeExtensionVersionNamed(const QString &id) const;
    QString installedFirefoxExtensionVersionNamed(const QString &id) const;
    QString latestSafariExtensionVersionNamed(const QString &) const { return {}; }
    QString latestChromeExtensionVersionNamed(const QString &id);
    QString latestFirefoxExtensionVersionNamed(const QString &id);
    bool isSafariExtensionInstalled(const QString &name) const { return !installedSafariExtensionVersionNamed(name).isEmpty(); }
    bool isChromeExtensionInstalled(const QString &id) const { return !installedChromeExtensionVersionNamed(id).isEmpty(); }
    bool isFirefoxExtensionInstalled(const QString &id) const { return !installedFirefoxExtensionVersionNamed(id).isEmpty(); }
    bool isSafariExtensionUpdateEnableNamed(const QString &) { return false; }
    bool isChromeExtensionUpdateEnableNamed(const QString &) { return false; }
    bool isFirefoxExtensionUpdateEnableNamed(const QString &id);

    bool installSafariExtension(const QString &) { return false; }
    // Chromium extensions cannot be installed from outside the browser: the guide explains.
    bool installChromeExtension(const QString &) { return false; }
    bool installFirefoxExtension(const QString &id);
    void gotoChromeExtensionGuide(const QString &guideUrl);
    bool unInstallSafariExtension(const QString &) { return false; }
    bool unInstallChromeExtension(const QString &id);
    bool unInstallFirefoxExtension(const QString &id);

    // Install page helpers: installed = the user setting "ExternsionsInstalled" or any browser
    // has the extension; an update is due when any browser's update test says so.
    bool extensionInstalled(const QString &safariName, const QString &firefoxId, const QString &chromeId) const;
    bool extensionsUpdateEnabled(const QString &safariName, const QString &firefoxId, const QString &chromeId);

    // Observers are kept for the life of the process and told every second.
    void addExtensionObserver(BriskletObserver *observer, const QString &safariName, const QString &chromeId,
                              const QString &firefoxId);
    // A page that goes away takes itself off the list first.
    void removeExtensionObserver(BriskletObserver *observer);

    // Dotted versions compared part by part as numbers ("1.10" is newer than "1.9"); -1, 0, 1.
    static int compareVersions(const QString &a, const QString &b);
    // The extension's version inside an .xpi or a packed extension (manifest.json, else
    // install.rdf), read in memory; "" when absent or unreadable.
    static QString versionOfPackage(const QString &xpiPath);
    static QString versionInInstallRdf(const QByteArray &rdf);

    // Browser programs looked for on PATH, and the process names that count as running.
    static QStringList chromePrograms();
    static QStringList firefoxPrograms();
    // What a user must know before Firefox is given the unsigned package.
    static QString firefoxUnsignedPackageNote();
    // Processes of this user whose program name is one of the names.
    static QList<qint64> runningProcesses(const QStringList &names);
    // The profile folders of Chromium-based browsers (…/Default) and of Firefox (profiles.ini
    // order), whether they exist or not.
    static QStringList chromeProfileFolders();
    static QString firefoxFolder();
    static QStringList firefoxProfileFolders();

    // Starts a browser for the user and watches its first seconds (BrowserLaunch); false when
    // it cannot be started at all.
    bool launchBrowser(const QString &program, const QStringList &arguments);
    // "Chromium", "Google Chrome", "Firefox" for a browser program's path.
    static QString browserDisplayName(const QString &program);

signals:
    void checked();
    // A browser started for the user ended at once; reason is what it said.
    void browserDidNotStart(const QString &browser, const QString &reason);
    // The watch of a launch is over (for tests and the log).
    void browserLaunchSettled(bool failed);

private:
    void browserExtensionCheck();
    QString programPath(const QStringList &names) const;

    QList<BriskletObserver *> m_observers;
    QTimer *m_timer = nullptr;
    QString m_safariName, m_chromeId, m_firefoxId;
    QString m_resources;
    std::once_flag m_chromeOnce, m_firefoxOnce;
    QString m_latestChrome, m_latestFirefox;
};
