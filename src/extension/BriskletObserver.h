#pragma once

#include <QString>

// Told every second which version of the extension each browser has ("" for none).
class BriskletObserver
{
public:
    virtual ~BriskletObserver() = default;
    virtual void installedExtensionVersionDidChange2(const QString &safariVersion, const QString &chromeVersion,
                                                     const QString &firefoxVersion) = 0;
};
