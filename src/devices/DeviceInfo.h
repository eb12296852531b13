#pragma once

#include "devices/LoadablePart.h"

#include <QString>

// Who a device is. Filled by its back-end; loading re-reads what the back-end can re-read.
class DeviceInfo : public LoadablePart
{
public:
    struct Fields
    {
        QString displayName;
        QString serialNumber;
        quint32 OSPlatform = 0;  // DeviceTransferPlatform
        QString OSVersion;
        QString brand;
        QString model;
        int expectInterfaceStatus = 0;
    };

    DeviceInfo();
    explicit DeviceInfo(const Fields &fields);

    Fields fields() const;
    void setFields(const Fields &fields);
    QString displayName() const { return fields().displayName; }
    QString serialNumber() const { return fields().serialNumber; }
    quint32 OSPlatform() const { return fields().OSPlatform; }
    QString OSVersion() const { return fields().OSVersion; }
    int expectInterfaceStatus() const { return fields().expectInterfaceStatus; }

private:
    mutable QMutex m_dataLock;
    Fields m_fields;
};
