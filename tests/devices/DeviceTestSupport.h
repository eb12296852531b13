#pragma once

#include "devices/IAsyncTaskDelegate.h"
#include "devices/IMobileDeviceMgr.h"

#include <QList>
#include <QMutex>
#include <QThread>

#include <atomic>
#include <memory>

// Records what a device manager reports, and on which thread.
class RecordingDeviceMgr : public IMobileDeviceMgr
{
public:
    void mobileDeviceInserted(const std::shared_ptr<IMobileDevice> &device) override;
    void mobileDeviceRemoved(const std::shared_ptr<IMobileDevice> &device) override;
    QList<std::shared_ptr<IMobileDevice>> inserted() const;
    QList<std::shared_ptr<IMobileDevice>> removed() const;
    QThread *lastThread() const;

private:
    mutable QMutex m_lock;
    QList<std::shared_ptr<IMobileDevice>> m_inserted, m_removed;
    QThread *m_thread = nullptr;
};

// Records a write task's reports.
class RecordingTaskDelegate : public IAsyncTaskDelegate
{
public:
    void asyncTaskProgressChanged(IAsyncTask &task, int percent) override;
    void asyncTaskFinished(IAsyncTask &task) override;
    QList<int> progress() const;
    int finishedCount() const { return m_finished.load(); }

private:
    mutable QMutex m_lock;
    QList<int> m_progress;
    std::atomic<int> m_finished{0};
};
