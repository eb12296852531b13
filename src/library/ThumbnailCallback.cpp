#include "library/ThumbnailCallback.h"

ThumbnailCallback::ThumbnailCallback(QObject *owner, Handler handler)
    : m_owner(owner)
    , m_handler(std::move(handler))
{
}

void ThumbnailCallback::getThumbnailPath(const QString &thumbnailPath, const QString &videoPath, qint64 videoID,
                                         int typeID)
{
    if (m_owner && m_handler)
        m_handler(thumbnailPath, videoPath, videoID, typeID);
}
