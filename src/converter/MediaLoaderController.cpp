#include "converter/MediaLoaderController.h"

#include "downloads/DownloadedItem.h"
#include "platform/SafeSaveFile.h"
#include "platform/log/ScribletLogger.h"
#include "tools/swiftcarry/SwiftcarryProtocol.h"
#include "tools/swiftcarry/SwiftcarryToolRun.h"
#include "platform/Dispatch.h"
#include "platform/MainBundle.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QUuid>

#include <cmath>

using namespace SwiftcarryProtocol;

namespace {

// Fills the "%d" and "%@" places of a localized text in order.
QString fillPlaces(const QString &format, const QStringList &values)
{
    QString out;
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format.at(i) == QLatin1Char('%') && i + 1 < format.size()
            && (format.at(i + 1) == QLatin1Char('d') || format.at(i + 1) == QLatin1Char('@'))) {
            out += next < values.size() ? values.at(next++) : QString();
            ++i;
        } else {
            out += format.at(i);
        }
    }
    return out;
}

} // namespace

MediaLoaderController::MediaLoaderController() = default;

MediaLoaderController::~MediaLoaderController()
{
    if (m_task) {
        m_task->end();
        delete m_task;
    }
}

void MediaLoaderController::runModalForMainWindow(QObject *window, const QStringList &mediaFiles)
{
    ScribletLogInfo(QStringLiteral(">>>>>>>>>>Load Local File Entrance<<<<<<<<<<<<<<<"));
    m_bNetwork = false;
    m_mediaFiles.clear();
    m_invalidFilesName.clear();
    m_arrWaitingForLoad.clear();
    if (mediaFiles.isEmpty())
        return;
    if (m_sheet) {
        m_sheet->beginSheet(window, MainBundle::localizedString("Importing file(s)..."));
        m_sheet->setCancelEnabled(true);
        m_sheetUp = true;
    }
    runTool(mediaFiles);
}

void MediaLoaderController::loadMediaFiles(const QStringList &mediaFiles, const QVariant &)
{
    ScribletLogInfo(QStringLiteral(">>>>>>>>>>Load Downloaded File Entrance<<<<<<<<<<<<<<<"));
    begin(mediaFiles, true);
}

void MediaLoaderController::loadMediaFilesFromLocal(const QStringList &mediaFiles) { begin(mediaFiles, false); }

void MediaLoaderController::begin(const QStringList &mediaFiles, bool network)
{
    m_bNetwork = network;
    m_mediaFiles.clear();
    m_invalidFilesName.clear();
    m_arrWaitingForLoad.clear();
    if (!mediaFiles.isEmpty())
        runTool(mediaFiles);
}

void MediaLoaderController::runTool(const QStringList &paths)
{
    m_arrWaitingForLoad.append(paths);
    m_cancelImport = false;
    m_reportsEnded = false;
    m_selfWhileRunning = weak_from_this().lock();
    m_task = new SwiftcarryToolRun(this);
    connect(m_task, &SwiftcarryToolRun::messageReceived, this, &MediaLoaderController::onToolMessage);
    connect(m_task, &SwiftcarryToolRun::toolEnded, this, &MediaLoaderController::swiftcarryProcessDidEnd);
    QString error;
    if (!m_task->publish(uniqueConnectionName(MediaInfoService), &error) || !m_task->launch(paths, &error)) {
        // No tool, no reports: end the run now so no sheet or caller waits for ever.
        ScribletLogError(QStringLiteral("media loader cannot start the tool: %1").arg(error));
        QPointer<MediaLoaderController> self(this);
        dispatch::async_main([self]() {
            if (self)
                self->swiftcarryProcessDidEnd();
        });
    }
}

void MediaLoaderController::onToolMessage(const QString &message, const QByteArray &object)
{
    if (message == QLatin1String(MediaInfoDidLoad))
        mediaInfoLoaderDidLoadMediaInfo(unarchiveDictionary(object));
    else if (message == QLatin1String(MediaInfoDidEnd))
        mediaInfoLoaderDidEndLoad();
    else if (message == QLatin1String(MediaInfoWillStart))
        mediaInfoLoaderWillStartWithFiles(unarchiveStringList(object));
}

void MediaLoaderController::mediaInfoLoaderDidLoadMediaInfo(const QVariantMap &info)
{
    if (info.value(QLatin1String(DictionaryContent)).toString() != QLatin1String(MediaInfoContent))
        return;
    if (!m_task || m_cancelImport)
        return;
    const QString path = info.value(QStringLiteral("filePath")).toString();
    // Only files this run asked for become items.
    if (!m_arrWaitingForLoad.contains(path))
        return;
    if (info.contains(QStringLiteral("error"))) {
        m_invalidFilesName.append(path);
    } else {
        auto item = std::make_shared<DownloadedItem>();
        item->setFilePath(path);
        item->setTime(info.value(QStringLiteral("duration")).toLongLong());
        const QVariantMap size = info.value(QStringLiteral("resolution")).toMap();
        const double w = size.value(QStringLiteral("width")).toDouble();
        const double h = size.value(QStringLiteral("height")).toDouble();
        const int wi = std::isfinite(w) && std::fabs(w) < 1e6 ? int(w) : 0;  // truncated toward zero
        const int hi = std::isfinite(h) && std::fabs(h) < 1e6 ? int(h) : 0;
        item->setVideoWidth(wi);
        item->setVideoHeight(hi);
        item->setResolution(DownloadedItem::covertStringToResolution(QStringLiteral("%1*%2").arg(wi).arg(hi)));
        item->setStatus(0);
        const QFileInfo fi(path);
        if (fi.exists())
            item->setVideoSize(fi.size());
        item->setAddDate(QDateTime::currentDateTime());
        m_mediaFiles.append(item);
    }
    if (m_sheet && m_sheetUp)
        m_sheet->setProgressText(fillPlaces(MainBundle::localizedString("Importing files(%d/%d):\r\n%@"),
                                            {QString::number(info.value(QStringLiteral("fileIndex")).toInt()),
                                             QString::number(info.value(QStringLiteral("filesCount")).toInt()),
                                             QFileInfo(path).fileName()}));
}

void MediaLoaderController::mediaInfoLoaderDidEndLoad()
{
    if (!m_task || m_reportsEnded)
        return;
    m_reportsEnded = true;
    closeSheet();
    if (!m_cancelImport && !m_invalidFilesName.isEmpty())
        notSupportMediaAlert(m_invalidFilesName);
}

void MediaLoaderController::closeSheet()
{
    if (!m_bNetwork && m_sheet && m_sheetUp)
        m_sheet->endSheet();
    m_sheetUp = false;
}

void MediaLoaderController::swiftcarryProcessDidEnd()
{
    if (!m_task)
        return;
    // The tool may have died before its end report: close what is open all the same.
    if (!m_reportsEnded)
        mediaInfoLoaderDidEndLoad();
    finishRun();
}

void MediaLoaderController::finishRun()
{
    auto keep = std::move(m_selfWhileRunning);
    if (m_task) {
        disconnect(m_task, nullptr, this, nullptr);
        m_task->end();
        m_task->deleteLater();
        m_task = nullptr;
    }
    if (m_bNetwork) {
        ScribletLogInfo(QStringLiteral(">>>>>>>>>>>>>Load Network File Exit<<<<<<<<<<<<<<<<<<<"));
        if (m_delegate)
            m_delegate->networkDidEndLoadFiles(m_mediaFiles, QVariant());
    } else {
        ScribletLogInfo(QStringLiteral(">>>>>>>>>>>>>Load Local File Exit<<<<<<<<<<<<<<<<<<<"));
        if (m_delegate)
            m_delegate->mediaLoaderDidEndLoadFiles(m_mediaFiles);
    }
}

void MediaLoaderController::cancelButtonClick()
{
    QPointer<MediaLoaderController> self(this);
    dispatch::async_main([self]() {
        if (!self)
            return;
        auto keep = std::move(self->m_selfWhileRunning);
        self->m_cancelImport = true;
        if (self->m_task) {
            disconnect(self->m_task, nullptr, self, nullptr);
            self->m_task->end();
            self->m_task->deleteLater();
            self->m_task = nullptr;
        }
        if (self->m_sheet && self->m_sheetUp)
            self->m_sheet->setCancelEnabled(false);
        self->closeSheet();
    });
}

QString MediaLoaderController::failureText(const QStringList &failedPaths)
{
    QStringList names;
    for (const QString &p : failedPaths)
        names.append(QFileInfo(p).fileName());
    return fillPlaces(MainBundle::localizedString("Importing completed. %d video(s) failed to import:\r\n"),
                      {QString::number(failedPaths.size())})
        + names.join(QStringLiteral("\r\n"));
}

void MediaLoaderController::notSupportMediaAlert(const QStringList &paths)
{
    if (m_sheet)
        m_sheet->showAlert(QStringLiteral(" "), failureText(paths));
}

QString MediaLoaderController::getTempImagePath()
{
    if (!m_tempDir) {
        // Private to this user (0700), unlike a shared world-writable folder.
        m_tempDir = std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("Orrisca Studio-XXXXXX")));
        if (!m_tempDir->isValid()) {
            m_tempDir.reset();
            return {};
        }
    }
    return m_tempDir->filePath(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".jpg"));
}

int MediaLoaderController::getRightnessVideoBitrateforWidth(int width, int height)
{
    struct Entry
    {
        int w, h, rate;
    };
    static const Entry table[] = {{320, 240, 384},    {480, 320, 768},    {640, 480, 900},   {720, 480, 1500},
                                  {854, 480, 2000},   {1136, 640, 2500},  {1280, 720, 4000}, {1920, 1080, 6000},
                                  {2560, 1440, 12800}, {4096, 2160, 256000}};
    int best = table[0].rate;
    auto dist = [&](const Entry &e) {
        const double dw = double(width) - e.w;
        const double dh = double(height) - e.h;
        return qint64(dw * dw + dh * dh);
    };
    qint64 bestDistance = dist(table[0]);
    for (const Entry &e : table) {
        const qint64 d = dist(e);
        if (d < bestDistance) {
            bestDistance = d;
            best = e.rate;
        }
    }
    return best;
}

bool MediaLoaderController::saveThumbnailToFile(const QByteArray &image, const QString &path)
{
    if (image.isEmpty() || path.isEmpty())
        return false;
    SafeSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(image) == image.size() && file.commit())
        return true;
    ScribletLogError(QStringLiteral("thumbnail not saved to %1: %2").arg(path, file.errorString()));
    return false;
}

QVariantMap MediaLoaderController::getMediaFileParam(const MediaObject *media)
{
    if (!media)
        return {};
    QVariantMap out;
    const auto put = [&out](const char *key, const QVariant &value, bool known) {
        if (known)
            out.insert(QString::fromLatin1(key), value);
    };
    const QFileInfo file(media->mediaPath);
    put("SourceFileName", media->mediaPath, !media->mediaPath.isEmpty());
    put("SourceFileLength", media->srcLength, true);
    put("SourceFileSize", file.size(), file.exists());
    put("SourceFileResolution", media->srcResolution, !media->srcResolution.isEmpty());
    put("SourceFileVideoFrame", media->frameRate, true);
    put("SourceFileVideoBitrate", getMediaItemVideoBitrate(QVariant()), true);
    put("SourceFileVideoWidth", media->width, true);
    put("SourceFileVideoHeight", media->height, true);
    put("SourceFileExtension", file.suffix(), !file.suffix().isEmpty());
    // The temporary name says JPEG, so only a JPEG picture (its start-of-image marker) goes there.
    if (media->image.startsWith(QByteArrayLiteral("\xFF\xD8\xFF"))) {
        const QString thumbnail = getTempImagePath();
        if (!thumbnail.isEmpty() && saveThumbnailToFile(media->image, thumbnail))
            out.insert(QStringLiteral("SourceFileThumbnail"), thumbnail);
    }
    return out;
}

QString MediaLoaderController::getUnUsedTitle(const QString &title)
{
    if (!title.endsWith(QLatin1Char(')')))
        return {};
    const qsizetype open = title.lastIndexOf(QLatin1Char('('));
    if (open <= 0)
        return {};
    const QString inner = title.mid(open + 1, title.size() - open - 2);
    for (QChar c : inner)
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return {};
    return title.left(open);
}
