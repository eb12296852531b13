#include "extension/BrowserExtensionManager.h"

#include "extension/BriskletObserver.h"
#include "extension/BrowserLaunch.h"
#include "extension/json/NSObject_SBJSON.h"
#include "extension/json/NSString_SBJSON.h"
#include "platform/DefaultBrowser.h"
#include "platform/SafeFileReader.h"
#include "platform/log/ScribletLogger.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVersionNumber>

#include <archive.h>
#include <archive_entry.h>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Packages and browser files are small; anything larger is not ours and is not read.
constexpr qint64 MaxPackageSize = 64 * 1024 * 1024;
constexpr qint64 MaxEntrySize = 4 * 1024 * 1024;
constexpr qint64 MaxPreferencesSize = 64 * 1024 * 1024;

const QStringList ChromePreferenceFiles{QStringLiteral("Preferences"), QStringLiteral("Secure Preferences")};

QByteArray readSmallFile(const QString &path, qint64 limit)
{
    return SafeFileReader::read(path, limit).data;
}

// Whether a process of this user runs under this HOME. A process whose environment cannot be
// read is exiting (a zombie has none); one started without HOME counts as ours.
bool runsUnderOurHome(const QByteArray &procDir)
{
    QFile f(QString::fromLatin1(procDir + "/environ"));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QByteArray env;
    while (env.size() < (1 << 20)) {
        const QByteArray chunk = f.read(64 * 1024);
        if (chunk.isEmpty())
            break;
        env += chunk;
    }
    if (env.isEmpty())
        return false;
    for (const QByteArray &var : env.split('\0')) {
        if (var.startsWith("HOME="))
            return QDir::cleanPath(QString::fromLocal8Bit(var.mid(5))) == QDir::cleanPath(QDir::homePath());
    }
    return true;
}

QString configHome()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    return xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : xdg;
}

QString stringAt(const SBJsonValue *v)
{
    return v && v->isString() ? v->text() : QString();
}

// The version an extension entry of a Chromium preference file names: its stored manifest,
// else (an unpacked extension) the manifest in the folder it was loaded from.
QString versionOfChromeEntry(const SBJsonValue &entry, const QString &profile)
{
    const QString stored = stringAt(entry.path({QStringLiteral("manifest"), QStringLiteral("version")}));
    if (!stored.isEmpty())
        return stored;
    QString path = stringAt(entry.value(QStringLiteral("path")));
    if (path.isEmpty())
        return {};
    if (QDir::isRelativePath(path))
        path = profile + QStringLiteral("/Extensions/") + path;
    const auto manifest = NSString_SBJSON::JSONValue(readSmallFile(path + QStringLiteral("/manifest.json"), MaxEntrySize));
    return manifest ? stringAt(manifest->value(QStringLiteral("version"))) : QString();
}

} // namespace

BrowserExtensionManager *BrowserExtensionManager::defaultManager()
{
    static BrowserExtensionManager *shared = new BrowserExtensionManager(QCoreApplication::instance());
    return shared;
}

BrowserExtensionManager::BrowserExtensionManager(QObject *parent) : QObject(parent) {}

void BrowserExtensionManager::setResourcesFolder(const QString &folder)
{
    m_resources = folder;
}

QString BrowserExtensionManager::resourcesFolder() const
{
    return m_resources;
}

QStringList BrowserExtensionManager::chromePrograms()
{
    return {QStringLiteral("google-chrome"), QStringLiteral("google-chrome-stable"), QStringLiteral("chromium"),
            QStringLiteral("chromium-browser")};
}

QStringList BrowserExtensionManager::firefoxPrograms()
{
    return {QStringLiteral("firefox"), QStringLiteral("firefox-esr")};
}

bool BrowserExtensionManager::launchBrowser(const QString &program, const QStringList &arguments)
{
    BrowserLaunch *launch = BrowserLaunch::start(program, arguments);
    if (!launch) {
        ScribletLogError(QStringLiteral("%1 could not be started").arg(program));
        return false;
    }
    const QString name = browserDisplayName(program);
    connect(launch, &BrowserLaunch::failed, this, [this, name](const QString &reason) {
        ScribletLogError(QStringLiteral("%1 ended at once: %2").arg(name, reason));
        emit browserDidNotStart(name, reason);
    });
    connect(launch, &BrowserLaunch::settled, this, &BrowserExtensionManager::browserLaunchSettled);
    launch->beginWatch();
    return true;
}

QString BrowserExtensionManager::browserDisplayName(const QString &program)
{
    const QString file = QFileInfo(program).fileName();
    if (file.startsWith(QLatin1String("google-chrome")))
        return QStringLiteral("Google Chrome");
    if (file.startsWith(QLatin1String("chromium")))
        return QStringLiteral("Chromium");
    if (file.startsWith(QLatin1String("firefox")))
        return QStringLiteral("Firefox");
    return file;
}

QString BrowserExtensionManager::firefoxUnsignedPackageNote()
{
    return QCoreApplication::translate(
        "Brisklet", "Firefox: release builds of Firefox accept only signed extensions; Firefox ESR, Developer Edition and "
                    "Nightly take it with xpinstall.signatures.required set to false in about:config.");
}

QString BrowserExtensionManager::programPath(const QStringList &names) const
{
    for (const QString &n : names) {
        const QString path = QStandardPaths::findExecutable(n);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

bool BrowserExtensionManager::isChromeInstalled() const
{
    return !programPath(chromePrograms()).isEmpty();
}

bool BrowserExtensionManager::isFirefoxInstalled() const
{
    return !programPath(firefoxPrograms()).isEmpty();
}

QList<qint64> BrowserExtensionManager::runningProcesses(const QStringList &names)
{
    QList<qint64> found;
    const uid_t me = getuid();
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid || pid == getpid())
            continue;
        const QByteArray dir = "/proc/" + entry.toLatin1();
        struct stat st;
        if (::stat(dir.constData(), &st) != 0 || st.st_uid != me)
            continue;
        // Only our own processes: the program's file name, else the kernel's short name.
        QString program = QFileInfo(QFile::symLinkTarget(QString::fromLatin1(dir + "/exe"))).fileName();
        program.remove(QStringLiteral(" (deleted)"));
        if (program.isEmpty())
            program = QString::fromLocal8Bit(readSmallFile(QString::fromLatin1(dir + "/comm"), 64)).trimmed();
        if (!names.contains(program))
            continue;
        // A browser under another HOME keeps its profile there: not ours to wait for or end.
        if (runsUnderOurHome(dir))
            found << pid;
    }
    return found;
}

namespace {
const QStringList ChromeProcessNames{QStringLiteral("chrome"), QStringLiteral("chromium"), QStringLiteral("chromium-browser"),
                                     QStringLiteral("google-chrome")};
const QStringList FirefoxProcessNames{QStringLiteral("firefox"), QStringLiteral("firefox-esr"), QStringLiteral("firefox-bin")};

bool terminateAll(const QList<qint64> &pids)
{
    bool any = false;
    for (qint64 pid : pids)
        any |= ::kill(pid_t(pid), SIGTERM) == 0;
    return any;
}
} // namespace

bool BrowserExtensionManager::isChromeRunning() const
{
    return !runningProcesses(ChromeProcessNames).isEmpty();
}

bool BrowserExtensionManager::isFirefoxRunning() const
{
    return !runningProcesses(FirefoxProcessNames).isEmpty();
}

bool BrowserExtensionManager::terminateChrome()
{
    const bool ok = terminateAll(runningProcesses(ChromeProcessNames));
    if (!ok)
        ScribletLogError(QStringLiteral("errorDic: no Chromium process of this user could be ended"));
    return ok;
}

bool BrowserExtensionManager::terminateFirefox()
{
    const bool ok = terminateAll(runningProcesses(FirefoxProcessNames));
    if (!ok)
        ScribletLogError(QStringLiteral("errorDic: no Firefox process of this user could be ended"));
    return ok;
}

QStringList BrowserExtensionManager::chromeProfileFolders()
{
    const QString config = configHome();
    return {config + QStringLiteral("/google-chrome/Default"), config + QStringLiteral("/chromium/Default")};
}

QString BrowserExtensionManager::firefoxFolder()
{
    return QDir::homePath() + QStringLiteral("/.mozilla/firefox");
}

QStringList BrowserExtensionManager::firefoxProfileFolders()
{
    // profiles.ini: [ProfileN] sections with Path= (relative to the Firefox folder unless
    // IsRelative=0). Read by hand: QSettings would reorder the sections.
    const QByteArray ini = readSmallFile(firefoxFolder() + QStringLiteral("/profiles.ini"), 1024 * 1024);
    QStringList folders;
    QString path;
    bool relative = true, inProfile = false;
    auto flush = [&] {
        if (inProfile && !path.isEmpty())
            folders << (relative ? firefoxFolder() + QLatin1Char('/') + path : path);
        path.clear();
        relative = true;
    };
    for (const QByteArray &raw : ini.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            flush();
            inProfile = line.startsWith(QLatin1String("[Profile"));
        } else if (line.startsWith(QLatin1String("Path="))) {
            path = line.mid(5);
        } else if (line.startsWith(QLatin1String("IsRelative="))) {
            relative = line.mid(11) != QLatin1String("0");
        }
    }
    flush();
    // A path that climbs out of the Firefox folder is not a profile of ours to touch.
    folders.erase(std::remove_if(folders.begin(), folders.end(), [](const QString &f) {
                      return QDir::cleanPath(f).split(QLatin1Char('/')).contains(QLatin1String(".."));
                  }),
                  folders.end());
    return folders;
}

QString BrowserExtensionManager::installedChromeExtensionVersionNamed(const QString &id) const
{
    if (id.isEmpty())
        return {};
    for (const QString &profile : chromeProfileFolders()) {
        for (const QString &file : ChromePreferenceFiles) {
            const QString path = profile + QLatin1Char('/') + file;
            if (!QFileInfo::exists(path))
                continue;
            const auto prefs = NSString_SBJSON::JSONValue(readSmallFile(path, MaxPreferencesSize));
            if (!prefs)
                continue;
            const SBJsonValue *entry = prefs->path({QStringLiteral("extensions"), QStringLiteral("settings"), id});
            if (!entry)
                continue;
            // A packed extension lives in Extensions/<id>; an unpacked one names its folder.
            if (!QFileInfo(profile + QStringLiteral("/Extensions/") + id).isDir() && !entry->value(QStringLiteral("path")))
                continue;
            const QString v = versionOfChromeEntry(*entry, profile);
            if (!v.isEmpty())
                return v;
        }
    }
    return {};
}

QString BrowserExtensionManager::latestChromeExtensionVersionNamed(const QString &id)
{
    std::call_once(m_chromeOnce, [&] {
        const auto install = NSString_SBJSON::JSONValue(
            readSmallFile(m_resources + QLatin1Char('/') + id + QStringLiteral("/install.json"), MaxEntrySize));
        if (install)
            m_latestChrome = stringAt(install->path({QStringLiteral("manifest"), QStringLiteral("version")}));
    });
    return m_latestChrome;
}

QString BrowserExtensionManager::versionInInstallRdf(const QByteArray &rdf)
{
    const qsizetype open = rdf.indexOf("<em:version>");
    const qsizetype close = rdf.indexOf("</em:version>");
    if (open < 0 || close < 0 || close < open)
        return {};
    return QString::fromUtf8(rdf.mid(open + 12, close - open - 12)).trimmed();
}

namespace {
QString versionInManifest(const QByteArray &json)
{
    const auto manifest = NSString_SBJSON::JSONValue(json);
    return manifest ? stringAt(manifest->value(QStringLiteral("version"))) : QString();
}

// A folder holding manifest.json or install.rdf.
QString versionOfFolder(const QString &folder)
{
    const QString manifest = folder + QStringLiteral("/manifest.json");
    if (QFileInfo::exists(manifest))
        return versionInManifest(readSmallFile(manifest, MaxEntrySize));
    return BrowserExtensionManager::versionInInstallRdf(readSmallFile(folder + QStringLiteral("/install.rdf"), MaxEntrySize));
}
} // namespace

QString BrowserExtensionManager::versionOfPackage(const QString &xpiPath)
{
    // Read in memory: nothing is unpacked to disk.
    const QByteArray data = readSmallFile(xpiPath, MaxPackageSize);
    if (data.isEmpty())
        return {};
    archive *a = archive_read_new();
    archive_read_support_format_zip(a);
    QByteArray manifest, rdf;
    if (archive_read_open_memory(a, data.constData(), size_t(data.size())) == ARCHIVE_OK) {
        archive_entry *entry = nullptr;
        while (archive_read_next_header(a, &entry) == ARCHIVE_OK) {
            const QString name = QString::fromUtf8(archive_entry_pathname(entry));
            QByteArray *target = name == QLatin1String("manifest.json") ? &manifest
                                 : name == QLatin1String("install.rdf") ? &rdf
                                                                         : nullptr;
            if (!target || archive_entry_size(entry) > MaxEntrySize)
                continue;
            QByteArray buffer(qsizetype(archive_entry_size(entry)), Qt::Uninitialized);
            const la_ssize_t n = archive_read_data(a, buffer.data(), size_t(buffer.size()));
            if (n >= 0)
                *target = buffer.left(n);
        }
    }
    archive_read_free(a);
    if (!manifest.isEmpty())
        return versionInManifest(manifest);
    return versionInInstallRdf(rdf);
}

QString BrowserExtensionManager::installedFirefoxExtensionVersionNamed(const QString &id) const
{
    if (id.isEmpty())
        return {};
    // The first profile decides, as Firefox itself starts in it unless told otherwise.
    const QStringList profiles = firefoxProfileFolders();
    if (profiles.isEmpty())
        return {};
    const QString path = profiles.first() + QStringLiteral("/extensions/") + id;
    if (QFileInfo(path).isDir())
        return versionOfFolder(path);
    if (QFileInfo(path + QStringLiteral(".xpi")).isFile())
        return versionOfPackage(path + QStringLiteral(".xpi"));
    return {};
}

QString BrowserExtensionManager::latestFirefoxExtensionVersionNamed(const QString &id)
{
    std::call_once(m_firefoxOnce, [&] { m_latestFirefox = versionOfPackage(m_resources + QLatin1Char('/') + id + QStringLiteral(".xpi")); });
    return m_latestFirefox;
}

int BrowserExtensionManager::compareVersions(const QString &a, const QString &b)
{
    // Missing parts count as 0 ("1.2" equals "1.2.0"); a part that is not a number as 0.
    const QStringList pa = a.split(QLatin1Char('.')), pb = b.split(QLatin1Char('.'));
    for (qsizetype i = 0; i < std::max(pa.size(), pb.size()); ++i) {
        const qulonglong x = i < pa.size() ? pa[i].toULongLong() : 0;
        const qulonglong y = i < pb.size() ? pb[i].toULongLong() : 0;
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

bool BrowserExtensionManager::isFirefoxExtensionUpdateEnableNamed(const QString &id)
{
    const QString installed = installedFirefoxExtensionVersionNamed(id);
    const QString latest = latestFirefoxExtensionVersionNamed(id);
    return !installed.isEmpty() && !latest.isEmpty() && compareVersions(installed, latest) < 0;
}

bool BrowserExtensionManager::installFirefoxExtension(const QString &id)
{
    const QString package = m_resources + QLatin1Char('/') + id + QStringLiteral(".xpi");
    if (!QFileInfo(package).isFile())
        return false;
    unInstallFirefoxExtension(id);
    const QString firefox = programPath(firefoxPrograms());
    if (firefox.isEmpty())
        return false;
    // Firefox asks the user to confirm the package it is given.
    return launchBrowser(firefox, {package});
}

void BrowserExtensionManager::gotoChromeExtensionGuide(const QString &guideUrl)
{
    // Without an address of the product's, the guide that ships beside the packages.
    const QString url = guideUrl.isEmpty() ? QUrl::fromLocalFile(m_resources + QStringLiteral("/ChromeGuide.html")).toString() : guideUrl;
    const QString chrome = programPath(chromePrograms());
    if (!chrome.isEmpty() && launchBrowser(chrome, {url}))
        return;
    DefaultBrowser::openUrl(QUrl(url));
}

bool BrowserExtensionManager::unInstallChromeExtension(const QString &id)
{
    // The browser keeps its preferences in memory and writes them back on exit.
    if (id.isEmpty() || isChromeRunning())
        return false;
    bool ok = true;
    for (const QString &profile : chromeProfileFolders()) {
        for (const QString &file : ChromePreferenceFiles) {
            const QString path = profile + QLatin1Char('/') + file;
            if (!QFileInfo::exists(path))
                continue;
            auto prefs = NSString_SBJSON::JSONValue(readSmallFile(path, MaxPreferencesSize));
            if (!prefs) {
                ok = false;
                continue;
            }
            bool removed = false;
            if (SBJsonValue *settings = prefs->path({QStringLiteral("extensions"), QStringLiteral("settings")})) {
                if (settings->remove(id)) {
                    removed = true;
                    QDir(profile + QStringLiteral("/Extensions/") + id).removeRecursively();
                }
            }
            if (SBJsonValue *toolbar = prefs->path({QStringLiteral("extensions"), QStringLiteral("toolbar")}); toolbar && toolbar->isArray())
                removed |= toolbar->removeString(id);
            if (SBJsonValue *macs = prefs->path({QStringLiteral("protection"), QStringLiteral("macs"), QStringLiteral("extensions"),
                                                 QStringLiteral("settings")}))
                removed |= macs->remove(id);
            if (!removed)
                continue;   // nothing of ours: the file stays as the browser wrote it
            const QString text = NSObject_SBJSON::JSONRepresentation(*prefs);
            QFile::remove(path + QStringLiteral(".backup"));
            QSaveFile out(path);
            if (text.isNull() || !QFile::copy(path, path + QStringLiteral(".backup")) || !out.open(QIODevice::WriteOnly)
                || out.write(text.toUtf8()) < 0 || !out.commit()) {
                ok = false;
            }
        }
    }
    return ok;
}

bool BrowserExtensionManager::unInstallFirefoxExtension(const QString &id)
{
    if (id.isEmpty())
        return false;
    const QStringList profiles = firefoxProfileFolders();
    if (profiles.isEmpty())
        return true;   // no Firefox profile: nothing to remove
    for (const QString &profile : profiles) {
        const QString path = profile + QStringLiteral("/extensions/") + id;
        const QFileInfo folder(path);
        if (folder.isDir() && !folder.isSymLink())
            return QDir(path).removeRecursively();
        if (folder.exists() || folder.isSymLink())
            return QFile::remove(path);
        if (QFileInfo::exists(path + QStringLiteral(".xpi")))
            return QFile::remove(path + QStringLiteral(".xpi"));
    }
    return false;
}

bool BrowserExtensionManager::extensionInstalled(const QString &safariName, const QString &firefoxId, const QString &chromeId) const
{
    if (QSettings().value(QStringLiteral("ExternsionsInstalled")).toBool())
        return true;
    return isSafariExtensionInstalled(safariName) || isChromeExtensionInstalled(chromeId) || isFirefoxExtensionInstalled(firefoxId);
}

bool BrowserExtensionManager::extensionsUpdateEnabled(const QString &safariName, const QString &firefoxId, const QString &chromeId)
{
    return isSafariExtensionUpdateEnableNamed(safariName) || isChromeExtensionUpdateEnableNamed(chromeId)
           || isFirefoxExtensionUpdateEnableNamed(firefoxId);
}

void BrowserExtensionManager::addExtensionObserver(BriskletObserver *observer, const QString &safariName, const QString &chromeId,
                                                   const QString &firefoxId)
{
    if (!observer)
        return;
    if (!m_timer) {
        // The names of the first registration are the ones checked from then on.
        m_safariName = safariName;
        m_chromeId = chromeId;
        m_firefoxId = firefoxId;
        m_timer = new QTimer(this);
        m_timer->setInterval(1000);
        connect(m_timer, &QTimer::timeout, this, &BrowserExtensionManager::browserExtensionCheck);
        m_timer->start();
    }
    if (!m_observers.contains(observer))
        m_observers.append(observer);
}

void BrowserExtensionManager::removeExtensionObserver(BriskletObserver *observer)
{
    m_observers.removeAll(observer);
}

void BrowserExtensionManager::browserExtensionCheck()
{
    const QString safari = installedSafariExtensionVersionNamed(m_safariName);
    const QString chrome = installedChromeExtensionVersionNamed(m_chromeId);
    const QString firefox = installedFirefoxExtensionVersionNamed(m_firefoxId);
    const QList<BriskletObserver *> observers = m_observers;
    for (BriskletObserver *o : observers)
        o->installedExtensionVersionDidChange2(safari, chrome, firefox);
    emit checked();
}
