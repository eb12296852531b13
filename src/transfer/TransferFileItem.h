#pragma once

#include "devices/IAsyncTaskDelegate.h"
#include "downloads/TBVideoConvertTaskDelegate.h"
#include "platform/FileLock.h"
#include "transfer/ITransferConversion.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <atomic>
#include <memory>
#include <optional>

class IAsyncTask;
class IMediaItem;
class IMobileDevice;
class QTemporaryDir;
class TransferItemDelegate;

// Carries one local file to one device: converts it first when the device does not play its
// format, then writes it through the device layer, reporting progress and the end (once) to
// its delegates. Create with the init… functions (items live in shared pointers). startTransfer
// runs on the job's thread and blocks while converting and, except on iOS, while writing.
class TransferFileItem : public TBVideoConvertTaskDelegate,
                         public IAsyncTaskDelegate,
                         public std::enable_shared_from_this<TransferFileItem>
{
public:
    enum FileType : quint32 { Audio = 0, Video = 1, Other = 4 };
    // TransferFileItemStatus
    enum Status : quint32 {
        StatusNew = 1,
        StatusWriting = 7,
        StatusDone = 9,
        StatusDeviceResult3 = 10,
        StatusDeviceResult4 = 11,
        StatusConversionFailed = 12,
        StatusEmptyOrRefused = 14,
        StatusFailed = 16,
    };

    static std::shared_ptr<TransferFileItem> initWithAudioFilePath(const QString &path);
    static std::shared_ptr<TransferFileItem> initWithVideoFilePath(const QString &path);
    static std::shared_ptr<TransferFileItem> initWithOtherFilePath(const QString &path);
    ~TransferFileItem() override;

    // Delegates are held weakly; one that went away is skipped.
    void addDelegate(const std::shared_ptr<TransferItemDelegate> &delegate);
    void removeDelegate(const TransferItemDelegate *delegate);

    void setDestMobileDevice(const std::shared_ptr<IMobileDevice> &device);
    std::shared_ptr<IMobileDevice> destMobileDevice() const;
    quint32 platform() const { return m_platform; }

    // The stored size when above 0, else the file's size (−1 when unreadable), then stored.
    qint64 fileSize();
    void setFileSize(qint64 bytes);

    void startTransfer();
    void stopTransfer();
    bool isStop() const { return m_stop.load(); }

    quint32 itemStatus() const { return m_itemStatus.load(); }
    void setItemStatus(quint32 status) { m_itemStatus = status; }
    QString errorText() const;
    QString writeDestFilePath() const;
    void setWriteDestFilePath(const QString &path);
    QString filePath() const;
    bool isFileExist() const { return m_isFileExist; }
    void setIsFileExist(bool exists) { m_isFileExist = exists; }
    bool isNeedConverter() const { return m_isNeedConverter; }
    void setIsNeedConverter(bool need) { m_isNeedConverter = need; }
    quint32 writeSDCardStyle() const { return m_writeSDCardStyle; }
    void setWriteSDCardStyle(quint32 style) { m_writeSDCardStyle = style; }
    quint32 fileType() const { return m_fileType; }
    void setFileType(quint32 type) { m_fileType = type; }

    // Converted files go into this private folder (the job's); without one the item makes its
    // own. The converted file is deleted once written.
    void setTempFolder(const QString &folder);
    // How conversions are made; the converter's job by default.
    void setConversionFactory(ITransferConversion::Factory factory);
    // Process-wide conversion numbers, from 900001 on, never meeting the conversion queue's.
    static quint32 nextConversionTaskID();

    // Reports the end to the delegates unless it was reported already.
    void sendItemFinished();
    bool isEndReported() const { return m_endReported.load(); }
    // Waits for a started write to end (the job, before it reports iOS ends).
    void waitWriteDone();

    // TBVideoConvertTaskDelegate
    void convertTaskDidChangeProgress(ConvertJob &job, qint32 percent) override;
    void convertTaskDidFinished(ConvertJob &job) override;
    // IAsyncTaskDelegate
    void asyncTaskProgressChanged(IAsyncTask &task, int percent) override;
    void asyncTaskFinished(IAsyncTask &task) override;

    // Why the item failed, as errorText() gives it.
    static constexpr const char *ReasonRemoved = "IsDeviceRemoved";
    static constexpr const char *ReasonOffline = "IsDeviceOffline";
    static constexpr const char *ReasonEmpty = "fileSize<1";
    static constexpr const char *ReasonUnsupported = "unsurport file";
    static constexpr const char *ReasonConversion = "conversion failed";
    static constexpr const char *ReasonNoDestination = "no destination";
    static constexpr const char *ReasonWriteFailed = "write failed";
    static constexpr const char *ReasonStalled = "device stalled";

    static constexpr int ReportIntervalMs = 240;

private:
    TransferFileItem(const QString &path, quint32 type);
    void convert();
    void write();
    void writeAudio();
    void writeVideo();
    void startWrite(const std::shared_ptr<IMediaItem> &media, quint32 statusWithoutTask);
    void fail(quint32 status, const char *reason);
    void reportProgress(int percent, bool throttled);
    void discardConvertedFile();
    QString privateFolder();
    QList<std::shared_ptr<TransferItemDelegate>> delegates() const;
    bool waitsForWrite() const;

    mutable QMutex m_lock;
    QString m_filePath;
    std::atomic<quint32> m_itemStatus{StatusNew};
    qint64 m_fileSize = -1;
    QString m_errorText;
    std::atomic<bool> m_stop{false};
    bool m_isNeedConverter = false;
    bool m_isFileExist = false;
    QString m_writeDestFilePath;
    std::shared_ptr<IMobileDevice> m_destMobileDevice;
    quint32 m_writeSDCardStyle = 1;
    quint32 m_platform = 0;
    quint32 m_mediaListType = 0;
    QList<std::weak_ptr<TransferItemDelegate>> m_delegates;
    std::shared_ptr<IMediaItem> m_destMedia;
    std::shared_ptr<IAsyncTask> m_writeTask;
    quint32 m_fileType;
    std::shared_ptr<ITransferConversion> m_conversion;
    ITransferConversion::Factory m_conversionFactory;
    QString m_convertedPath;
    QString m_tempFolder;
    std::unique_ptr<QTemporaryDir> m_ownTempFolder;
    FileLock m_ownTempHold; // marks the folder live; a killed run's folder is swept at start
    std::optional<qint64> m_lastReportMs;
    std::atomic<bool> m_endReported{false};
    QWaitCondition m_conversionChanged;
};
