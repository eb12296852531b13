#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>

class QProcess;

// One screen recording by the ffmpeg program: the X screen or an area of it (x11grab) and, when a sound
// source is given, the system sound from it (pulse), into one MP4 file. stop() asks ffmpeg to
// finish (it writes the file's index), and finished() comes only once ffmpeg has exited, so a
// reported file is complete. Main thread.
class ScreenCapture : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString display;      // X display, e.g. ":0"
        QSize screenSize;     // pixels grabbed; made even (the encoder needs even sizes)
        QPoint origin;        // top-left pixel of the grabbed area on the screen
        QSize outputSize;     // pixels written, scaled from the grab; empty: as grabbed
        int videoKbps = 0;    // 0: constant quality instead of a bit rate
        int audioBitRate = 0; // bit/s; 0: 128 kbit/s
        QString audioSource;  // a PulseAudio source (the output's monitor); empty: video only
        QString outputPath;
        int frameRate = 25;
    };

    explicit ScreenCapture(QObject *parent = nullptr);
    ~ScreenCapture() override;

    static QSize evenSize(const QSize &size);
    // ffmpeg's arguments for the options.
    static QStringList arguments(const Options &options, const QString &videoEncoder);
    // libx264 where this ffmpeg has it, else its own MPEG-4 encoder.
    static QString videoEncoder();

    bool start(const Options &options, QString *error = nullptr);
    void stop();
    bool isRunning() const;
    QString outputPath() const { return m_options.outputPath; }

    // The ffmpeg program to run; tests point it at a fake.
    static void setProgramForTesting(const QString &program);

signals:
    // ffmpeg has written its first frame: the take's clock starts.
    void started();
    // ok: the file is complete and not empty; else error says why.
    void finished(bool ok, const QString &path, const QString &error);

private:
    void alignTrackStarts(const QString &path);

    QPointer<QProcess> m_process;
    Options m_options;
    QByteArray m_log;
    bool m_stopping = false;
    bool m_capturing = false;
};
