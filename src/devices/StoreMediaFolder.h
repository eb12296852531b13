#pragma once

#include "devices/IMediaFolder.h"
#include "devices/IMediaList.h"

class StoreMobileDevice;

// A folder on a StoreMobileDevice; its items are files written into it.
class StoreMediaFolder : public IMediaFolder, public IMediaList
{
public:
    StoreMediaFolder(StoreMobileDevice &device, const QString &path, int category);

    int category() const override { return m_category; }
    QString Id() const override { return m_path; }
    QString path() const override { return m_path; }
    IMediaList *items() override { return this; }

    std::shared_ptr<IMediaItem> addByPath(const QString &destinationPath) override;
    std::shared_ptr<IMediaItem> addByName(const QString &fileName, int category) override;

private:
    StoreMobileDevice &m_device;
    QString m_path;
    int m_category;
};
