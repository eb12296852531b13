#pragma once

#include "devices/FakeFileStore.h"
#include "devices/StoreMobileDevice.h"
#include "downloads/ConvertJob.h"
#include "platform/Dispatch.h"
#include "transfer/ITransferConversion.h"
#include "transfer/TransferItemDelegate.h"

#include <QList>
#include <QMutex>
#include <QTemporaryDir>

#include <atomic>

// A clock that moves on by a fixed step each time it is read (0: it stands still).
class SteppingClock : public dispatch::Clock
{
public:
    explicit SteppingClock(qint64 stepMs) : m_step(stepMs) {}
    qint64 nowMs() const override { return m_now.fetch_add(m_step); }
    void advance(qint64 ms) { m_now += ms; }
    void setStep(qint64 ms) { m_step = ms; }

private:
    mutable std::atomic<qint64> m_now{1000000};
    std::atomic<qint64> m_step;
};

// Installs a clock for one test.
class ClockScope
{
public:
    explicit ClockScope(const dispatch::Clock *clock) { dispatch::Clock::setForTesting(clock); }
    ~ClockScope() { dispatch::Clock::setForTesting(nullptr); }
};

// A conversion the test drives: start() marks it converting, the test reports progress and
// ends it; a finished one leaves a copy of the source as its output.
class FakeConversion : public ITransferConversion, public ConvertJob
{
public:
    FakeConversion(const Request &request, bool autoFinish) : m_request(request), m_autoFinish(autoFinish) {}

    void start() override;
    void stop() override;
    qint32 taskStatus() const override { return m_status.load(); }
    QString targetFilePath() const override { return m_request.targetPath; }

    void progress(int percent);
    void finish(qint32 status);
    bool started() const { return m_started.load(); }
    const Request &request() const { return m_request; }

    // ConvertJob
    void setDelegate(std::weak_ptr<TBVideoConvertTaskDelegate> delegate) override { m_request.delegate = delegate; }
    qint64 remainTime() const override { return 0; }
    QString sourceFilePath() const override { return m_request.sourcePath; }
    double targetResolution() const override { return 0; }
    qint64 targetFileSize() const override { return 0; }

private:
    Request m_request;
    std::atomic<qint32> m_status{Waiting};
    std::atomic<bool> m_started{false};
    bool m_autoFinish;
};

// Makes FakeConversions and keeps them; with autoFinish each one ends (3) as soon as it starts.
class FakeConverter
{
public:
    explicit FakeConverter(bool autoFinish) : m_autoFinish(autoFinish) {}
    ITransferConversion::Factory factory();
    QList<std::shared_ptr<FakeConversion>> made() const;

private:
    bool m_autoFinish;
    mutable QMutex m_lock;
    QList<std::shared_ptr<FakeConversion>> m_made;
};

// Records an item's reports.
class RecordingItemDelegate : public TransferItemDelegate
{
public:
    void transferItemProgress(TransferFileItem &item, int percent) override;
    void transferItemFinished(TransferFileItem &item) override;
    QList<int> progress() const;
    int ends() const { return m_ends.load(); }

private:
    mutable QMutex m_lock;
    QList<int> m_progress;
    std::atomic<int> m_ends{0};
};

// A fake device of the given platform on a temporary folder.
struct FakeDevice
{
    FakeDevice(quint32 platform, const QString &version = QStringLiteral("12"), bool transactions = false);
    QTemporaryDir dir;
    std::shared_ptr<FakeFileStore> store;
    std::shared_ptr<StoreMobileDevice> device;
    QString local(const QString &devicePath) const { return store->localPath(devicePath); }
};

QString writeFile(const QString &path, qint64 size);
// A phone's store in folder: built-in storage and card both 16 GiB with 6 used, rooted at root.
std::shared_ptr<FakeFileStore> makePhoneStore(const QString &folder, const QString &root);
