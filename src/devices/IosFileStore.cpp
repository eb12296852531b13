#include "devices/IosFileStore.h"

#include "devices/DeviceTypes.h"
#include "platform/SafeFileReader.h"

#include <QFile>

#include <libimobiledevice/afc.h>
#include <libimobiledevice/house_arrest.h>
#include <libimobiledevice/libimobiledevice.h>
#include <libimobiledevice/lockdown.h>
#include <plist/plist.h>

#include <cstdlib>

namespace {

const char *const Label = "FennixPro";

QString stringValue(lockdownd_client_t client, const char *key)
{
    plist_t node = nullptr;
    if (lockdownd_get_value(client, nullptr, key, &node) != LOCKDOWN_E_SUCCESS || !node)
        return QString();
    char *text = nullptr;
    if (plist_get_node_type(node) == PLIST_STRING)
        plist_get_string_val(node, &text);
    const QString value = text ? QString::fromUtf8(text) : QString();
    free(text);
    plist_free(node);
    return value;
}

qint64 afcNumber(afc_client_t afc, const char *key)
{
    char *value = nullptr;
    if (afc_get_device_info_key(afc, key, &value) != AFC_E_SUCCESS || !value)
        return -1;
    const qint64 n = QByteArray(value).toLongLong();
    free(value);
    return n;
}

} // namespace

IosFileStore::IosFileStore(const QString &udid)
    : m_udid(udid)
{
}

IosFileStore::~IosFileStore()
{
    QMutexLocker lock(&m_lock);
    closeLocked();
}

void IosFileStore::closeLocked()
{
    if (m_afc)
        afc_client_free(m_afc);
    if (m_houseArrest)
        house_arrest_client_free(m_houseArrest);
    if (m_lockdown)
        lockdownd_client_free(m_lockdown);
    if (m_device)
        idevice_free(m_device);
    m_afc = nullptr;
    m_houseArrest = nullptr;
    m_lockdown = nullptr;
    m_device = nullptr;
}

int IosFileStore::statusForLockdownError(int error)
{
    switch (error) {
    case LOCKDOWN_E_SUCCESS: return DeviceConnectionStatus::Connected;
    case LOCKDOWN_E_PASSWORD_PROTECTED: return DeviceConnectionStatus::WaitingForPasscode;
    case LOCKDOWN_E_PAIRING_DIALOG_RESPONSE_PENDING:
    case LOCKDOWN_E_USER_DENIED_PAIRING:
    case LOCKDOWN_E_INVALID_HOST_ID:
    case LOCKDOWN_E_MISSING_PAIR_RECORD:
    case LOCKDOWN_E_INVALID_PAIR_RECORD: return DeviceConnectionStatus::WaitingForTrust;
    default: return DeviceConnectionStatus::Failed;
    }
}

int IosFileStore::connect(QString *name, QString *version, QString *model)
{
    QMutexLocker lock(&m_lock);
    closeLocked();
    const QByteArray udid = m_udid.toUtf8();
    if (idevice_new_with_options(&m_device, udid.constData(), IDEVICE_LOOKUP_USBMUX) != IDEVICE_E_SUCCESS)
        return DeviceConnectionStatus::Failed;
    lockdownd_error_t rc = lockdownd_client_new_with_handshake(m_device, &m_lockdown, Label);
    if (rc == LOCKDOWN_E_INVALID_HOST_ID || rc == LOCKDOWN_E_MISSING_PAIR_RECORD || rc == LOCKDOWN_E_INVALID_PAIR_RECORD) {
        // Not paired yet: ask; the device shows "Trust This Computer?".
        lockdownd_client_t plain = nullptr;
        if (lockdownd_client_new(m_device, &plain, Label) == LOCKDOWN_E_SUCCESS) {
            rc = lockdownd_pair(plain, nullptr);
            lockdownd_client_free(plain);
            if (rc == LOCKDOWN_E_SUCCESS)
                rc = lockdownd_client_new_with_handshake(m_device, &m_lockdown, Label);
        }
    }
    if (rc != LOCKDOWN_E_SUCCESS) {
        m_lockdown = nullptr;
        closeLocked();
        return statusForLockdownError(rc);
    }
    if (name)
        *name = stringValue(m_lockdown, "DeviceName");
    if (version)
        *version = stringValue(m_lockdown, "ProductVersion");
    if (model)
        *model = stringValue(m_lockdown, "ProductType");
    return DeviceConnectionStatus::Connected;
}

bool IosFileStore::openSharingArea(const QString &appId)
{
    QMutexLocker lock(&m_lock);
    if (!m_lockdown || m_afc)
        return m_afc != nullptr;
    lockdownd_service_descriptor_t service = nullptr;
    if (lockdownd_start_service(m_lockdown, "com.apple.mobile.house_arrest", &service) != LOCKDOWN_E_SUCCESS)
        return false;
    const house_arrest_error_t made = house_arrest_client_new(m_device, service, &m_houseArrest);
    lockdownd_service_descriptor_free(service);
    if (made != HOUSE_ARREST_E_SUCCESS)
        return false;
    const QByteArray app = appId.toUtf8();
    plist_t result = nullptr;
    bool ok = house_arrest_send_command(m_houseArrest, "VendDocuments", app.constData()) == HOUSE_ARREST_E_SUCCESS
        && house_arrest_get_result(m_houseArrest, &result) == HOUSE_ARREST_E_SUCCESS && result;
    if (ok && plist_dict_get_item(result, "Error"))
        ok = false;  // the app is not installed or shares no files
    if (result)
        plist_free(result);
    if (ok && afc_client_new_from_house_arrest_client(m_houseArrest, &m_afc) != AFC_E_SUCCESS) {
        m_afc = nullptr;
        ok = false;
    }
    return ok;
}

bool IosFileStore::hasSharingArea() const
{
    QMutexLocker lock(&m_lock);
    return m_afc != nullptr;
}

std::optional<DeviceStorageInfos::Snapshot> IosFileStore::readStorages()
{
    QMutexLocker lock(&m_lock);
    if (!m_afc)
        return std::nullopt;
    const qint64 total = afcNumber(m_afc, "FSTotalBytes");
    const qint64 free = afcNumber(m_afc, "FSFreeBytes");
    if (total <= 0 || free < 0)
        return std::nullopt;
    StorageMedium medium{total, total - std::min(free, total), documentsRoot(), true};
    DeviceStorageInfos::Snapshot snapshot;
    snapshot.memory = medium;
    snapshot.card = medium;
    return snapshot;
}

std::optional<RemoteFileInfo> IosFileStore::statLocked(const QString &path)
{
    if (!m_afc || !isSafePath(path))
        return std::nullopt;
    char **info = nullptr;
    const QByteArray p = path.toUtf8();
    if (afc_get_file_info(m_afc, p.constData(), &info) != AFC_E_SUCCESS || !info)
        return std::nullopt;
    RemoteFileInfo out{path, 0, false};
    for (char **kv = info; kv[0] && kv[1]; kv += 2) {
        const QByteArray key(kv[0]);
        if (key == "st_size")
            out.length = QByteArray(kv[1]).toLongLong();
        else if (key == "st_ifmt")
            out.isDirectory = QByteArray(kv[1]) == "S_IFDIR";
    }
    afc_dictionary_free(info);
    if (out.isDirectory)
        out.length = 0;
    return out;
}

std::optional<RemoteFileInfo> IosFileStore::stat(const QString &path)
{
    QMutexLocker lock(&m_lock);
    return statLocked(path);
}

bool IosFileStore::makePath(const QString &folder, QString *error)
{
    QMutexLocker lock(&m_lock);
    // Only inside the sharing area; AFC makes the parents itself.
    const bool inside = folder == documentsRoot() || folder.startsWith(documentsRoot() + QLatin1Char('/'));
    if (!m_afc || !isSafePath(folder) || !inside
        || afc_make_directory(m_afc, folder.toUtf8().constData()) != AFC_E_SUCCESS) {
        if (error)
            *error = QStringLiteral("cannot make %1 on the device").arg(folder);
        return false;
    }
    return true;
}

bool IosFileStore::canStartWrite()
{
    return hasSharingArea();
}

std::optional<int> IosFileStore::push(const QString &localPath, const QString &path, const Progress &progress,
                                      const Cancelled &cancelled, QString *error)
{
    const auto failed = [&](const QString &why) {
        if (error)
            *error = why;
        return std::optional<int>(AsyncTaskResult::Failed);
    };
    if (!isSafePath(path) || !path.startsWith(documentsRoot() + QLatin1Char('/')))
        return failed(QStringLiteral("%1 is outside the sharing area").arg(path));
    QFile in(localPath);
    if (!SafeFileReader::open(in))
        return failed(in.errorString());
    QMutexLocker lock(&m_lock);
    if (!m_afc)
        return failed(QStringLiteral("no sharing area on the device"));
    uint64_t handle = 0;
    const QByteArray target = path.toUtf8();
    if (afc_file_open(m_afc, target.constData(), AFC_FOPEN_WRONLY, &handle) != AFC_E_SUCCESS)
        return failed(QStringLiteral("cannot open %1 on the device").arg(path));
    const qint64 size = in.size();
    qint64 sent = 0;
    int last = -1;
    bool ok = true;
    while (ok) {
        if (cancelled()) {
            ok = false;
            break;
        }
        const QByteArray chunk = in.read(ChunkBytes);
        if (chunk.isEmpty())
            break;
        uint32_t offset = 0;
        while (ok && offset < uint32_t(chunk.size())) {
            uint32_t written = 0;
            ok = afc_file_write(m_afc, handle, chunk.constData() + offset, uint32_t(chunk.size()) - offset, &written) == AFC_E_SUCCESS
                && written > 0;
            offset += written;
        }
        sent += chunk.size();
        const int percent = size > 0 ? int(sent * 100 / size) : 100;
        // Every chunk is reported, a repeated percent too: a sign of life for the stall watch.
        if (ok)
            progress(last = percent);
    }
    afc_file_close(m_afc, handle);
    if (!ok) {
        afc_remove_path(m_afc, target.constData());
        return failed(QStringLiteral("the write to %1 failed").arg(path));
    }
    return AsyncTaskResult::Done;
}
