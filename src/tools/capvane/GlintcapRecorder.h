#pragma once

#include "tools/capvane/ScreenCapture.h"

#include <QObject>
#include <QRect>
#include <QRectF>
#include <QString>

#include <memory>

class NamedConnection;

// The capture tool of the region recorder. It connects to the recorder's name, publishes its
// own root and announces it, then takes the rectangle, the encoder block and the output file
// and records that area of the X screen (with the system sound where there is some) between
// start and stop. finished() carries the exit code (GlintcapProtocol::ExitCode); a recorder
// that goes away ends the take as a stop would, so the file is still complete.
class GlintcapRecorder : public QObject
{
    Q_OBJECT
public:
    struct Screen
    {
        QString display;  // ":0"
        QRect pixels;     // the screen in device pixels
        qreal scale = 1;  // device pixels per point
    };

    GlintcapRecorder(const QString &connectionName, const Screen &screen, QObject *parent = nullptr);
    ~GlintcapRecorder() override;

    // Connects and announces; false with *error when the recorder's name cannot be reached or
    // the tool's own cannot be published.
    bool start(QString *error = nullptr);

    // The area grabbed for a rectangle in points: scaled to pixels, kept on the screen, even.
    // Empty when nothing of it lies on the screen.
    static QRect grabArea(const QRectF &points, qreal scale, const QRect &screenPixels);
    // Whether the tool may write path: an absolute path in an existing folder, not there yet
    // or an empty regular file (the name the recorder reserved). Never a link, a folder or a
    // file with something in it.
    static bool isWritableOutput(const QString &path, QString *error = nullptr);

signals:
    void finished(int exitCode);

private:
    void message(const QString &name, const QByteArray &object);
    void startCapture();
    void stopCapture();
    void end(int exitCode);

    QString m_connectionName;
    Screen m_screen;
    std::unique_ptr<NamedConnection> m_controller;
    std::unique_ptr<NamedConnection> m_root;
    ScreenCapture m_capture;
    QRectF m_rect;
    QSize m_outputSize;
    double m_frameRate = 0;
    int m_videoKbps = 0;
    int m_audioBitRate = 0;
    QString m_outputFile;
    bool m_started = false;
    bool m_ended = false;
};
