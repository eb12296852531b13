#include "platform/Workspace.h"

#include "platform/DefaultBrowser.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMutex>

namespace {

QMutex g_hookMutex;
Workspace::Hook g_hook;

bool callHook(const QString &action, const QStringList &targets, bool *handled)
{
    QMutexLocker lock(&g_hookMutex);
    *handled = bool(g_hook);
    return g_hook ? g_hook(action, targets) : false;
}

bool openWithDesktop(const QUrl &url)
{
    // QDesktopServices needs a GUI application; helpers and tools fall back to xdg-open.
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QDesktopServices::openUrl(url);
    return DefaultBrowser::openUrl(url);
}

} // namespace

void Workspace::setHookForTesting(Hook hook)
{
    QMutexLocker lock(&g_hookMutex);
    g_hook = std::move(hook);
}

bool Workspace::openUrl(const QUrl &url)
{
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    bool handled = false;
    const bool r = callHook(QStringLiteral("open"), {url.toString()}, &handled);
    if (handled)
        return r;
    return openWithDesktop(url);
}

bool Workspace::openFile(const QString &path)
{
    if (!QFileInfo::exists(path))
        return false;
    return openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

bool Workspace::openFolder(const QString &path)
{
    if (!QFileInfo(path).isDir())
        return false;
    return openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

bool Workspace::revealInFileManager(const QStringList &paths)
{
    QStringList uris;
    for (const QString &p : paths)
        if (QFileInfo::exists(p))
            uris.append(QUrl::fromLocalFile(QFileInfo(p).absoluteFilePath()).toString());
    if (uris.isEmpty())
        return false;
    bool handled = false;
    const bool r = callHook(QStringLiteral("reveal"), uris, &handled);
    if (handled)
        return r;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << uris << QString();
        const QDBusMessage reply = bus.call(call, QDBus::Block, 3000);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return true;
    }
    return openFolder(QFileInfo(QUrl(uris.first()).toLocalFile()).absolutePath());
}
