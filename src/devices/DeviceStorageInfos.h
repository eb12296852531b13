#pragma once

#include "devices/LoadablePart.h"
#include "devices/StorageMedium.h"

#include <optional>

// The storages of a device as last loaded; each is absent when the device has none.
class DeviceStorageInfos : public LoadablePart
{
public:
    struct Snapshot
    {
        std::optional<StorageMedium> memory, card, externalCard;
    };
    using Source = std::function<std::optional<Snapshot>()>;

    explicit DeviceStorageInfos(Source source = {});
    void setSource(Source source);

    std::optional<StorageMedium> memory() const;
    std::optional<StorageMedium> card() const;
    std::optional<StorageMedium> externalCard() const;
    Snapshot snapshot() const;
    void setSnapshot(const Snapshot &snapshot);

private:
    mutable QMutex m_dataLock;
    Source m_source;
    Snapshot m_snapshot;
};
