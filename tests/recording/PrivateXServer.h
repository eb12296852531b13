#pragma once

#include <QProcess>
#include <QString>

// An X server of the test's own (Xvfb), on a display it picks itself, so parallel tests never
// race for one. When Xvfb is missing or does not start, isRunning() is false and reason() says
// why.
class PrivateXServer
{
public:
    explicit PrivateXServer(const QString &screen = QStringLiteral("1280x1024x24"));
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer &) = delete;
    PrivateXServer &operator=(const PrivateXServer &) = delete;

    bool isRunning() const { return !m_display.isEmpty(); }
    QString reason() const { return m_reason; }
    QString display() const { return m_display; }  // ":N"

private:
    QProcess m_process;
    QString m_display;
    QString m_reason;
};
