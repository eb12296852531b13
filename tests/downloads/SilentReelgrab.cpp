#include "SilentReelgrab.h"

#include "platform/UserDefaults.h"
#include "reelgrab/QVReelgrabTask.h"

namespace SilentReelgrab {

void use()
{
#ifdef FAKE_REELGRAB_PATH
    QVReelgrabTask::setHelperExecutable(QStringLiteral(FAKE_REELGRAB_PATH));
    qputenv("FAKE_RGK_MODE", "silent");
#endif
    UserDefaults::standard().setInteger(QStringLiteral("numberOfDownload"), 1);
}

void release()
{
    qunsetenv("FAKE_RGK_MODE");
    QVReelgrabTask::setHelperExecutable(QString());
}

} // namespace SilentReelgrab
