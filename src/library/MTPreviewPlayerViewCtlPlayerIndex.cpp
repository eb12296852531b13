// Choice of the next, previous and current file of the play list.
#include "library/MTPreviewPlayerViewCtl.h"

#include "downloads/DownloadedItem.h"

#include <QFileInfo>

bool MTPreviewPlayerViewCtl::fileExistsAt(int index) const
{
    if (index < 0 || index >= m_mediaList.size() || !m_mediaList.at(index))
        return false;
    const QString path = m_mediaList.at(index)->filePath();
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString MTPreviewPlayerViewCtl::getPlayPathForCurrentIndex()
{
    if (m_mediaList.isEmpty())
        return {};
    if (m_mediaIndex == -1) {
        m_mediaIndex = 0;
        if (fileExistsAt(0))
            return m_mediaList.at(0)->filePath();
        return getNextForOrderMode();
    }
    return fileExistsAt(m_mediaIndex) ? m_mediaList.at(m_mediaIndex)->filePath() : QString();
}

QString MTPreviewPlayerViewCtl::getNextForOrderMode()
{
    // Every missing file is skipped; past the end there is nothing.
    while (true) {
        ++m_mediaIndex;
        if (m_mediaIndex >= m_mediaList.size()) {
            m_mediaIndex = -1;
            return {};
        }
        if (fileExistsAt(m_mediaIndex))
            return m_mediaList.at(m_mediaIndex)->filePath();
    }
}

QString MTPreviewPlayerViewCtl::getNextPlayPath()
{
    if (m_mediaList.isEmpty())
        return {};
    while (true) {
        m_mediaIndex = m_mediaIndex + 1 >= m_mediaList.size() ? 0 : m_mediaIndex + 1;
        if (fileExistsAt(m_mediaIndex)) {
            m_nextTries = 0;
            return m_mediaList.at(m_mediaIndex)->filePath();
        }
        if (++m_nextTries >= 3) {
            m_nextTries = 0;
            return {};
        }
    }
}

QString MTPreviewPlayerViewCtl::getPreviewPlayPath()
{
    if (m_mediaList.isEmpty())
        return {};
    while (true) {
        m_mediaIndex = m_mediaIndex - 1 < 0 ? int(m_mediaList.size()) - 1 : m_mediaIndex - 1;
        if (fileExistsAt(m_mediaIndex)) {
            m_previousTries = 0;
            return m_mediaList.at(m_mediaIndex)->filePath();
        }
        if (++m_previousTries >= 3) {
            m_previousTries = 0;
            return {};
        }
    }
}
