#include "SilentReelgrab.h"

#include "platform/UserDefaults.h"
#include "reelgrab/QVReelgrabTask.h"

namespace SilentReelgrab {

void use()
{
    QVReelgrabTask::setHelperExecutable(QStringLiteral(FAKE_REELGRAB_PATH));
    qputenv("FAKE_RGK_MODE", "silent");
    UserDefaults::standard().setInteger(QStringLiteral("numberOfDownload"), 1);
}

void release()
{
    qunsetenv("FAKE_RGK_MODE");
    QVReelgrabTask::setHelperExecutable(QString());
}

} // namespace SilentReelgrab
