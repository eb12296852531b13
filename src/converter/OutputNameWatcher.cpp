#include "converter/OutputNameWatcher.h"

#include "converter/OneModeOutputNames.h"
#include "downloads/DownloadedItem.h"

OutputNameWatcher::OutputNameWatcher(Ended ended)
    : m_ended(std::move(ended))
{
}

void OutputNameWatcher::watch(const std::shared_ptr<DownloadedItem> &item, const QString &reservedTarget)
{
    if (item)
        m_targets.insert(item.get(), reservedTarget);
}

void OutputNameWatcher::releaseAll()
{
    for (const QString &path : std::as_const(m_targets))
        OneModeOutputNames::release(path);
    m_targets.clear();
}

void OutputNameWatcher::taskDidChangeState(DownloadedItem &item)
{
    const quint32 state = item.taskStatus();
    if (state != DownloadedItem::TaskNone && state != DownloadedItem::TaskFinished && state != DownloadedItem::TaskFailed)
        return;
    const auto it = m_targets.find(&item);
    if (it == m_targets.end())
        return;
    OneModeOutputNames::release(it.value());
    m_targets.erase(it);
    if (m_ended)
        m_ended(item, state);
}
