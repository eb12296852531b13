#include "platform/WebEngineSandbox.h"

#include <QByteArray>
#include <QtGlobal>

#include <unistd.h>

bool WebEngineSandbox::disableForRoot()
{
    if (::geteuid() != 0 || !qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        return false;
    return qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

const char *WebEngineSandbox::logLine()
{
    return "running as root: the web engine starts without its sandbox";
}
