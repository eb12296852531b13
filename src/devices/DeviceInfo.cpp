#include "devices/DeviceInfo.h"

DeviceInfo::DeviceInfo() = default;

DeviceInfo::DeviceInfo(const Fields &fields)
    : m_fields(fields)
{
}

DeviceInfo::Fields DeviceInfo::fields() const
{
    QMutexLocker lock(&m_dataLock);
    return m_fields;
}

void DeviceInfo::setFields(const Fields &fields)
{
    QMutexLocker lock(&m_dataLock);
    m_fields = fields;
}
