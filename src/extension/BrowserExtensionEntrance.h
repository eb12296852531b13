#pragma once

#include <QImage>
#include <QObject>

class BrowserExtensionManager;

// The plug-in's root object, made once per process by the plug-in loader. Each call makes a
// fresh page controller, owned by the view it returns, so the host may ask again after it
// has thrown an earlier page away.
class BrowserExtensionEntrance : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.fennixpro.Brisklet/1" FILE "Brisklet.json")

public:
    explicit BrowserExtensionEntrance(QObject *parent = nullptr);

    // The install page controller; its view() is what the host shows.
    Q_INVOKABLE QObject *browserExtensionInstallViewController(const QImage &logo, const QString &safariName,
                                                               const QString &chromeId, const QString &chromeGuideUrl,
                                                               const QString &firefoxId);
    Q_INVOKABLE QWidget *preferenceView(const QString &safariName, const QString &chromeId, const QString &chromeGuideUrl,
                                        const QString &firefoxId);
    Q_INVOKABLE QString packagesFolder() const;
    BrowserExtensionManager *browserExtensionManager() const;
    static BrowserExtensionEntrance *defaultEntrance();
};
