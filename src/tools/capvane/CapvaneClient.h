#pragma once

#include "reelgrab/QVRmiConnection.h"

#include <QObject>
#include <QString>

// The recorder's side of the socket transport: connects to the application's endpoint,
// answers its liveness questions and carries the recorder's reports. Main thread.
class CapvaneClient : public QObject, public RmiTarget
{
    Q_OBJECT
public:
    explicit CapvaneClient(const QString &serverAddress, QObject *parent = nullptr);
    ~CapvaneClient() override;

    void start();
    // The folder the application asked to save into; empty until it said.
    QString saveFolder() const { return m_saveFolder; }

    void reportStart();
    void reportFile(const QString &path);
    void reportStopped();

    std::optional<QString> rmiMethodSignature(const QString &selector) const override;
    void rmiInvoke(const QString &selector, const QVariantList &arguments) override;

signals:
    void saveFolderReceived(const QString &folder);
    void startRequested();
    void stopRequested();
    // The application is gone: nobody would take the recording.
    void connectionLost();

private:
    QVRmiConnection m_connection;
    QString m_saveFolder;
};
