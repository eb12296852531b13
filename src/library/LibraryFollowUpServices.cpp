#include "library/LibraryFollowUpServices.h"

#include "library/iTunesAppInterface.h"
#include "platform/log/ScribletLogger.h"
#include "shell/WKDataColleciton.h"

void LibraryFollowUpServices::collectConvertComplete(bool complete)
{
    WKDataColleciton::share().collectConvertComplete(complete);
}

void LibraryFollowUpServices::collectConvertState(const QString &state)
{
    WKDataColleciton::share().collectConvertState(state);
}

void LibraryFollowUpServices::collectConvertFailedFormat(const QString &format)
{
    WKDataColleciton::share().collectConvertFailedFormat(format);
}

void LibraryFollowUpServices::addFileToItunes(const QString &path)
{
    if (iTunesAppInterface::shareInstanse().addFileToPlaylist(path).isEmpty())
        ScribletLogError(QStringLiteral("catch exception when exportToITunes: %1").arg(path));
}
