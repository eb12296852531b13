#include "devices/LoadablePart.h"

#include "devices/AsyncTask.h"
#include "devices/DeviceTypes.h"

LoadablePart::LoadablePart(Reader reader)
    : m_reader(std::move(reader))
{
}

void LoadablePart::setReader(Reader reader)
{
    QMutexLocker lock(&m_lock);
    m_reader = std::move(reader);
}

int LoadablePart::syncState() const
{
    QMutexLocker lock(&m_lock);
    return m_state;
}

std::shared_ptr<IAsyncTask> LoadablePart::load(int)
{
    // Reads on the caller's thread: callers wait for the task anyway, and a device read that
    // needs an event loop (none does) would not get one on a worker either.
    QMutexLocker readLock(&m_readLock);
    Reader reader;
    {
        QMutexLocker lock(&m_lock);
        m_state = DeviceSyncState::Loading;
        reader = m_reader;
    }
    const bool ok = !reader || reader();
    {
        QMutexLocker lock(&m_lock);
        m_state = ok ? DeviceSyncState::Loaded : DeviceSyncState::NotLoaded;
    }
    return AsyncTask::finished(ok ? AsyncTaskResult::Done : AsyncTaskResult::Failed);
}

void LoadablePart::invalidate()
{
    QMutexLocker lock(&m_lock);
    m_state = DeviceSyncState::NotLoaded;
}
