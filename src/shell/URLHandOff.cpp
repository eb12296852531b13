#include "shell/URLHandOff.h"

#include "platform/NamedConnection.h"

URLHandOff::URLHandOff(const QString &name, QObject *parent) : QObject(parent), m_name(name) {}

URLHandOff::~URLHandOff() = default;

bool URLHandOff::listen(Handler handler, QString *error)
{
    if (m_server)
        return true;
    m_server = NamedConnection::publish(
        m_name,
        [handler](const QString &message, const QByteArray &object) {
            if (message != QLatin1String(MessageName) || object.size() > MaxURLBytes || !handler)
                return;
            handler(QString::fromUtf8(object));
        },
        error);
    return m_server != nullptr;
}

bool URLHandOff::isListening() const
{
    return m_server != nullptr;
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
