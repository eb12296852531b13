#pragma once

#include <QString>

#include <memory>

class IMediaFolder;

// The folders of a media manager.
class IFolderList
{
public:
    virtual ~IFolderList() = default;
    virtual int count() const = 0;
    virtual std::shared_ptr<IMediaFolder> item(int index) const = 0;
    virtual std::shared_ptr<IMediaFolder> findByPath(const QString &path) const = 0;
    // Creates the folder on the device; nullptr when it cannot be made there.
    virtual std::shared_ptr<IMediaFolder> addByPath(const QString &path, int category) = 0;
};
