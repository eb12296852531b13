#pragma once

#include <QObject>

#include <memory>

class NamedConnection;

// The tool's thumbnail use: a long-lived server that answers one request at a time.
class SwiftcarryCapturer : public QObject
{
    Q_OBJECT
public:
    explicit SwiftcarryCapturer(const QString &serviceName, QObject *parent = nullptr);
    ~SwiftcarryCapturer() override;
    bool start();

signals:
    void done(int exitCode);

private:
    void onRootMessage(const QString &message, const QByteArray &object);

    QString m_serviceName;
    std::unique_ptr<NamedConnection> m_service;
    std::unique_ptr<NamedConnection> m_root;
};
