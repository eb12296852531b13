#include "DeviceTestSupport.h"

void RecordingDeviceMgr::mobileDeviceInserted(const std::shared_ptr<IMobileDevice> &device)
{
    QMutexLocker lock(&m_lock);
    m_inserted.append(device);
    m_thread = QThread::currentThread();
}

void RecordingDeviceMgr::mobileDeviceRemoved(const std::shared_ptr<IMobileDevice> &device)
{
    QMutexLocker lock(&m_lock);
    m_removed.append(device);
    m_thread = QThread::currentThread();
}

QList<std::shared_ptr<IMobileDevice>> RecordingDeviceMgr::inserted() const
{
    QMutexLocker lock(&m_lock);
    return m_inserted;
}

QList<std::shared_ptr<IMobileDevice>> RecordingDeviceMgr::removed() const
{
    QMutexLocker lock(&m_lock);
    return m_removed;
}

QThread *RecordingDeviceMgr::lastThread() const
{
    QMutexLocker lock(&m_lock);
    return m_thread;
}

void RecordingTaskDelegate::asyncTaskProgressChanged(IAsyncTask &, int percent)
{
    QMutexLocker lock(&m_lock);
    m_progress.append(percent);
}

void RecordingTaskDelegate::asyncTaskFinished(IAsyncTask &)
{
    ++m_finished;
}

QList<int> RecordingTaskDelegate::progress() const
{
    QMutexLocker lock(&m_lock);
    return m_progress;
}
