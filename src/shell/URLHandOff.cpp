#include "shell/URLHandOff.h"

#include "platform/AppPaths.h"
#include "platform/FileLock.h"
#include "platform/NamedConnection.h"

URLHandOff::URLHandOff(const QString &name, QObject *parent) : QObject(parent), m_name(name) {}

URLHandOff::~URLHandOff()
{
    m_server.reset();
}

bool URLHandOff::lockInstance(QString *error)
{
    if (m_lock.isLocked())
        return true;
    const QString folder = AppPaths::runtimeFolder();
    if (folder.isEmpty() || !NamedConnection::isValidName(m_name)) {
        if (error)
            *error = QStringLiteral("no private runtime folder for %1").arg(m_name);
        return false;
    }
    QString why;
    const FileLock::Result result = m_lock.tryLock(folder + QLatin1Char('/') + m_name + QStringLiteral(".lock"), FileLock::Open::Create, &why);
    if (result != FileLock::Result::Locked) {
        if (error)
            *error = result == FileLock::Result::Busy ? QStringLiteral("another instance is running (%1)").arg(m_name) : why;
        return false;
    }
    // Held until this process ends; the kernel lets it go with a crashed process too.
    return true;
}

bool URLHandOff::listen(Handler handler, QString *error)
{
    if (m_server)
        return true;
    if (!lockInstance(error))
        return false;
    m_server = NamedConnection::publish(
        m_name,
        [handler](const QString &message, const QByteArray &object) {
            if (message != QLatin1String(MessageName) || object.size() > MaxURLBytes || !handler)
                return;
            handler(QString::fromUtf8(object));
        },
        error);
    if (m_server)
        m_server->setClientLimits(MaxClients, IdleMs);
    return m_server != nullptr;
}

bool URLHandOff::isListening() const
{
    return m_server && m_server->isValid();
}

bool URLHandOff::sendToRunningInstance(const QStringList &urls, QString *error) const
{
    std::unique_ptr<NamedConnection> client = NamedConnection::connectTo(m_name, 3000, error);
    if (!client)
        return false;
    bool ok = true;
    for (const QString &url : urls) {
        const QByteArray bytes = url.toUtf8();
        if (bytes.size() > MaxURLBytes)
            continue;
        ok = client->sendMessage(QString::fromLatin1(MessageName), bytes) && ok;
    }
    client->invalidate();
    return ok;
}
