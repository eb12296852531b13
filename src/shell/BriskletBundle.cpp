#include "shell/BriskletBundle.h"

#include "platform/MainBundle.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QPluginLoader>
#include <QWidget>

// The Chromium id is the one the package's public key gives; the Firefox id is our own.
const char *const BriskletBundle::SafariExtensionName = "Orrisca Studio";
const char *const BriskletBundle::ChromeExtensionId = "gfndodfemnfmfinecphiedoeediopkef";
const char *const BriskletBundle::FirefoxExtensionId = "vuzuzoze-dizuri@fennixpro.org";

namespace {
QObject *bundleRoot()
{
    const QString path = BriskletBundle::pluginPath();
    if (path.isEmpty())
        return nullptr;
    // The loader keeps the library loaded; the root object is one per process.
    QPluginLoader loader(path);
    return loader.instance();
}

QString chromeGuideUrl()
{
    return MainBundle::infoString(QStringLiteral("ChromeExtensionURL"));
}
} // namespace

QString BriskletBundle::pluginPath()
{
    if (qEnvironmentVariableIsSet("FENNIX_BRISKLET_PATH")) {
        const QFileInfo f(qEnvironmentVariable("FENNIX_BRISKLET_PATH"));
        return f.isFile() ? f.absoluteFilePath() : QString();
    }
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
    QObject *root = bundleRoot();
    if (!root)
        return nullptr;
    QWidget *view = nullptr;
    const bool ok = QMetaObject::invokeMethod(
        root, "preferenceView", Qt::DirectConnection, Q_RETURN_ARG(QWidget *, view),
        Q_ARG(QString, QString::fromLatin1(SafariExtensionName)), Q_ARG(QString, QString::fromLatin1(ChromeExtensionId)),
        Q_ARG(QString, chromeGuideUrl()), Q_ARG(QString, QString::fromLatin1(FirefoxExtensionId)));
    if (!ok || !view)
        return nullptr;
    view->setParent(parent);
    return view;
}

QObject *BriskletBundle::installViewController(const QImage &logo)
{
    QObject *root = bundleRoot();
    if (!root)
        return nullptr;
    QObject *controller = nullptr;
    const bool ok = QMetaObject::invokeMethod(
        root, "browserExtensionInstallViewController", Qt::DirectConnection, Q_RETURN_ARG(QObject *, controller),
        Q_ARG(QImage, logo),
        Q_ARG(QString, QString::fromLatin1(SafariExtensionName)), Q_ARG(QString, QString::fromLatin1(ChromeExtensionId)),
        Q_ARG(QString, chromeGuideUrl()), Q_ARG(QString, QString::fromLatin1(FirefoxExtensionId)));
    return ok ? controller : nullptr;
}

QWidget *BriskletBundle::installView(const QImage &logo, QWidget *introduceView, QWidget *parent)
{
    QObject *controller = installViewController(logo);
    if (!controller)
        return nullptr;
    QWidget *view = nullptr;
    QMetaObject::invokeMethod(controller, "view", Qt::DirectConnection, Q_RETURN_ARG(QWidget *, view));
    if (!view) {
        delete controller;
        return nullptr;
    }
    view->setParent(parent);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    if (introduceView)
        QMetaObject::invokeMethod(controller, "setIntroduceView", Qt::DirectConnection, Q_ARG(QWidget *, introduceView));
    return view;
}
