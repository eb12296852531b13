#pragma once

#include "devices/IFolderList.h"
#include "devices/IMediaList.h"
#include "devices/IMediaManager.h"
#include "devices/LoadablePart.h"

#include <QList>
#include <QMutex>

class StoreMediaFolder;
class StoreMobileDevice;

// The music or video manager of a StoreMobileDevice: its music list adds files under the
// music folder, its folders are device folders (the first one, of category 1, is the video
// folder). Transactions only count commits and wait for the writes queued before them.
class StoreMediaManager : public IMediaManager, public IMediaList, public IFolderList
{
public:
    StoreMediaManager(StoreMobileDevice &device, const QString &musicFolder, const QString &videoFolder,
                      bool transactions);
    ~StoreMediaManager() override;

    // ILoadable
    int syncState() const override { return m_loadable.syncState(); }
    std::shared_ptr<IAsyncTask> load(int userState = 0) override { return m_loadable.load(userState); }

    // IMediaManager
    quint32 supportSyncMethods() const override;
    void beginTransaction() override;
    std::shared_ptr<IAsyncTask> commit(std::weak_ptr<IAsyncTaskDelegate> delegate, int userState = 0) override;
    IMediaList *musics() override { return this; }
    IFolderList *folders() override { return this; }
    ILoadable *playlists() override { return &m_playlists; }

    // IMediaList (the music list)
    std::shared_ptr<IMediaItem> addByPath(const QString &destinationPath) override;
    std::shared_ptr<IMediaItem> addByName(const QString &fileName, int category) override;

    // IFolderList
    int count() const override;
    std::shared_ptr<IMediaFolder> item(int index) const override;
    std::shared_ptr<IMediaFolder> findByPath(const QString &path) const override;
    std::shared_ptr<IMediaFolder> addByPath(const QString &path, int category) override;

    // How loading reads the library (a back-end's catalogue; tests act in the middle of it).
    void setLoadReader(LoadablePart::Reader reader) { m_loadable.setReader(std::move(reader)); }

    // Writes started on the device when each commit was asked for; transactions begun.
    QList<int> commitLog() const;
    int transactionsBegun() const;

private:
    StoreMobileDevice &m_device;
    QString m_musicFolder;
    bool m_transactions;
    LoadablePart m_loadable;
    LoadablePart m_playlists;
    mutable QMutex m_lock;
    QList<std::shared_ptr<StoreMediaFolder>> m_folders;
    QList<int> m_commitLog;
    int m_begun = 0;
};
