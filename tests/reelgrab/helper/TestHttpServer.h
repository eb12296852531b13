#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

// A small HTTP/1.1 server on 127.0.0.1 for the helper's tests: GET and HEAD, single byte
// ranges, one connection per request.
class TestHttpServer
{
public:
    struct Resource
    {
        QByteArray body;
        QByteArray contentType = "application/octet-stream";
        QByteArray disposition; // Content-Disposition value, when set
        int status = 200;
        int bytesPerSecond = 0; // 0: as fast as it goes
        QByteArray endless;     // after the body, sent again and again until the client hangs up
                                // (no length; at most 4 GB)
    };

    TestHttpServer();
    ~TestHttpServer();

    void add(const QString &path, const Resource &resource);
    void add(const QString &path, const QByteArray &body, const QByteArray &contentType);
    QString url(const QString &path) const;
    int gets(const QString &path);
    // The Range header of every GET of path, in order ("" for none).
    QList<QByteArray> ranges(const QString &path);

private:
    void acceptLoop();
    void serve(int fd);

    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
    QMutex m_mutex;
    QMap<QString, Resource> m_resources;
    QMap<QString, int> m_gets;
    QMap<QString, QList<QByteArray>> m_ranges;
    std::vector<std::thread> m_workers;
};
