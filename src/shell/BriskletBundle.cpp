#include "shell/BriskletBundle.h"

#include "platform/MainBundle.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPluginLoader>
#include <QWidget>

namespace {
// The product's own extension names; the Chrome guide address comes from Info.plist.
const char *const SafariExtensionName = "Orrisca Studio";
const char *const ChromeExtensionId = "fennixpro-downloader";
const char *const FirefoxExtensionId = "fennixpro@orrisca.studio";
} // namespace

QString BriskletBundle::pluginPath()
{
    const QString name = QStringLiteral("libBrisklet.so");
    QStringList folders{MainBundle::resourcesFolder(), QCoreApplication::applicationDirPath(),
                        QCoreApplication::applicationDirPath() + QStringLiteral("/../lib")};
    for (const QString &folder : folders) {
        if (folder.isEmpty())
            continue;
        const QFileInfo f(folder + QLatin1Char('/') + name);
        if (f.isFile())
            return f.absoluteFilePath();
    }
    return {};
}

QWidget *BriskletBundle::preferenceView(QWidget *parent)
{
    const QString path = pluginPath();
    if (path.isEmpty())
        return nullptr;
    // A fresh entrance each time, as the bundle expects; the loader keeps the library loaded.
    QPluginLoader loader(path);
    QObject *root = loader.instance();
    if (!root)
        return nullptr;
    QWidget *view = nullptr;
    const bool ok = QMetaObject::invokeMethod(
        root, "preferenceView", Qt::DirectConnection, Q_RETURN_ARG(QWidget *, view),
        Q_ARG(QString, QString::fromLatin1(SafariExtensionName)), Q_ARG(QString, QString::fromLatin1(ChromeExtensionId)),
        Q_ARG(QString, MainBundle::infoString(QStringLiteral("ChromeExtensionURL"))),
        Q_ARG(QString, QString::fromLatin1(FirefoxExtensionId)));
    if (!ok || !view)
        return nullptr;
    view->setParent(parent);
    return view;
}
