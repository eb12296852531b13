#pragma once

#include "library/ThumbnailServerWraper.h"

#include <QObject>
#include <QPointer>

#include <functional>

// A receiver of the thumbnail service that hands each answer to a function while its owner (a
// list page) lives; the service keeps receivers weakly, the owner keeps this one.
class ThumbnailCallback : public ThumbnailReceiver
{
public:
    using Handler = std::function<void(const QString &thumbnailPath, const QString &videoPath, qint64 videoID, int typeID)>;
    ThumbnailCallback(QObject *owner, Handler handler);
    void getThumbnailPath(const QString &thumbnailPath, const QString &videoPath, qint64 videoID, int typeID) override;

private:
    QPointer<QObject> m_owner;
    Handler m_handler;
};
