#pragma once

#include "platform/FileLock.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class NamedConnection;

// One running instance per user. The first instance listens on a per-user local socket; a
// later "FennixPro URL" process hands its address over and exits, and the first instance treats
// it as an opened URL.
class URLHandOff : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *DefaultName = "FennixPro-url-events";
    static constexpr const char *MessageName = "GURL";
    static constexpr int MaxURLBytes = 4 * 1024 * 1024;
    // Hand-offs are short: a few peers at once, each done within seconds.
    static constexpr int MaxClients = 16;
    static constexpr int IdleMs = 5000;

    using Handler = std::function<void(const QString &url)>;

    explicit URLHandOff(const QString &name = QString::fromLatin1(DefaultName), QObject *parent = nullptr);
    ~URLHandOff() override;

    // Becomes the listening instance; false (with *error) when another live instance runs. The
    // instance lock decides, not the socket: a first instance whose listener is down for a
    // moment still keeps a second one from starting.
    bool listen(Handler handler, QString *error = nullptr);
    bool isListening() const;
    // Hands urls to the listening instance; false when none answers.
    bool sendToRunningInstance(const QStringList &urls, QString *error = nullptr) const;

private:
    QString m_name;
    bool lockInstance(QString *error);

    std::unique_ptr<NamedConnection> m_server;
    FileLock m_lock;
};
