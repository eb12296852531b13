#pragma once

#include "tools/swiftcarry/FfmpegCommand.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QTimer>

#include <memory>

class NamedConnection;

// The tool's conversion use: reads the job's encoder block over the connection, runs ffmpeg,
// reports progress, and ends with exactly one of finished or stopped. "pause" and "resume"
// stop and continue ffmpeg.
class SwiftcarryConverter : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString connectionName;
        QString inFile;
        QString subtitle;
        QString outFile;
        bool lossless = false;
    };
    explicit SwiftcarryConverter(const Options &options, QObject *parent = nullptr);
    ~SwiftcarryConverter() override;

    // false when the job's connection cannot be reached.
    bool start();

signals:
    void done(int exitCode);

private:
    void onRootMessage(const QString &message, const QByteArray &object);
    void beginConversion(const QByteArray &encodeParams);
    void readProgress();
    void ffmpegFinished(int exitCode, QProcess::ExitStatus status);
    void finish(bool finished);
    void pauseFfmpeg();
    void resumeFfmpeg();

    Options m_options;
    std::unique_ptr<NamedConnection> m_job;
    std::unique_ptr<NamedConnection> m_root;
    QProcess *m_ffmpeg = nullptr;
    FfmpegCommand::Progress m_progress;
    QTimer m_replyTimer;
    QElapsedTimer m_clock;
    qint64 m_pausedMs = 0;
    qint64 m_pauseStartedMs = -1;
    double m_durationUs = 0;
    bool m_ended = false;
    bool m_pauseWanted = false;
};
