#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <memory>

class DownloadedItem;
class SwiftcarryToolRun;
class QTemporaryDir;

// Receives the items of one run; both optional.
class MediaLoaderControllerDelegate
{
public:
    virtual ~MediaLoaderControllerDelegate() = default;
    virtual void mediaLoaderDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items) {}
    virtual void networkDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items, const QVariant &downloadID) {}
};

// What the loader shows while it runs: the "Importing file(s)..." sheet over the main window and
// the closing alert. The window layer supplies one; without it nothing is shown.
class MediaLoaderSheet
{
public:
    virtual ~MediaLoaderSheet() = default;
    virtual void beginSheet(QObject *parentWindow, const QString &progressText) = 0;
    virtual void setProgressText(const QString &text) = 0;
    virtual void setCancelEnabled(bool enabled) = 0;
    virtual void endSheet() = 0;
    // Modal alert with one "OK" button.
    virtual void showAlert(const QString &message, const QString &informativeText) = 0;
};

// Reads the length and frame size of media files through one run of the conversion tool and
// turns every readable file into a library item. Create with std::make_shared: a running
// loader keeps itself alive until its tool has ended. Main thread only.
class MediaLoaderController : public QObject, public std::enable_shared_from_this<MediaLoaderController>
{
    Q_OBJECT
public:
    MediaLoaderController();
    ~MediaLoaderController() override;

    MediaLoaderControllerDelegate *delegate() const { return m_delegate; }
    void setDelegate(MediaLoaderControllerDelegate *delegate) { m_delegate = delegate; }
    void setSheet(MediaLoaderSheet *sheet) { m_sheet = sheet; }

    void runModalForMainWindow(QObject *window, const QStringList &mediaFiles);
    void loadMediaFiles(const QStringList &mediaFiles, const QVariant &downloadID);
    void loadMediaFilesFromLocal(const QStringList &mediaFiles);
    void cancelButtonClick();

    bool isLoading() const { return m_task != nullptr; }
    bool isCancelled() const { return m_cancelImport; }
    const QList<std::shared_ptr<DownloadedItem>> &mediaFiles() const { return m_mediaFiles; }
    QStringList invalidFilesName() const { return m_invalidFilesName; }

    // Reports of the tool (public so a transport or a test can deliver them).
    void mediaInfoLoaderWillStartWithFiles(const QStringList &files) {}
    void mediaInfoLoaderDidLoadMediaInfo(const QVariantMap &info);
    void mediaInfoLoaderDidEndLoad();

    // The closing alert's text for these failed files.
    static QString failureText(const QStringList &failedPaths);
    // "<private temporary folder>/<UUID>.jpg"; empty when no folder can be made.
    QString getTempImagePath();
    static int getRightnessVideoBitrateforWidth(int width, int height);
    static int getMediaItemVideoBitrate(const QVariant &) { return 0; }
    static QString getUnUsedTitle(const QString &title);

    // What getMediaFileParam() reads of a source.
    struct MediaObject
    {
        QByteArray image;     // an encoded picture, JPEG as the conversion tool makes them
        QString mediaPath;
        qint64 srcLength = 0;  // seconds
        QString srcResolution; // "1280*720"
        double frameRate = 0;
        int width = 0;
        int height = 0;
    };
    // Writes the encoded picture as it is, replacing the file whole; false for no picture or
    // when it cannot be written.
    static bool saveThumbnailToFile(const QByteArray &image, const QString &path);
    // "SourceFile..." values of a source, with a thumbnail saved to the temporary folder when it
    // has a JPEG picture (the temporary name ends in .jpg); empty for none. Values not known are
    // left out one by one.
    QVariantMap getMediaFileParam(const MediaObject *media);
    void notSupportMediaAlert(const QStringList &paths);

private:
    void begin(const QStringList &mediaFiles, bool network);
    void runTool(const QStringList &paths);
    void onToolMessage(const QString &message, const QByteArray &object);
    void swiftcarryProcessDidEnd();
    void closeSheet();
    void finishRun();

    MediaLoaderControllerDelegate *m_delegate = nullptr;
    MediaLoaderSheet *m_sheet = nullptr;
    QList<std::shared_ptr<DownloadedItem>> m_mediaFiles;
    QStringList m_invalidFilesName;
    QStringList m_arrWaitingForLoad;
    SwiftcarryToolRun *m_task = nullptr;
    bool m_cancelImport = false;
    bool m_bNetwork = false;
    bool m_sheetUp = false;
    bool m_reportsEnded = false;
    std::shared_ptr<MediaLoaderController> m_selfWhileRunning;
    std::unique_ptr<QTemporaryDir> m_tempDir;
};
