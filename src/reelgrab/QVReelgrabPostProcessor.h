#pragma once

#include "reelgrab/QVSniffingMediaSegment.h"

#include <QList>
#include <QString>
#include <QStringList>

// Turns the downloaded segment files of a task into its one target file: audio extraction,
// audio+video join or concatenation, through "ffmpeg" or SwiftcarryCmd. Runs on a worker
// thread; touches only the task's target, its own temporary names and its work folder.
class QVReelgrabPostProcessor
{
public:
    static constexpr qint64 MinOutputBytes = 1024;

    struct Job
    {
        QList<QVSniffingMediaSegment> segments; // each with its save path
        qint32 downloadContent = 2;
        QString target;
        QString pageUrl;
        QString guid;               // names the concatenation list and temporary outputs
        QString currentSegmentPath; // the segment the engine finished last
        QString ffmpegPath;         // empty or missing file: not present
        QString swiftcarryPath;
        // Bytes the engine reported for a finished single segment; -1 when unknown. A file the
        // engine wrote straight into the target, whole, is the download however small it is.
        qint64 engineBytes = -1;
    };

    struct Result
    {
        bool ok = false;            // the target exists with at least MinOutputBytes, or is the engine's whole file
        QString path;               // the file written: target, or a name with another extension
        QList<QStringList> runs;    // program followed by its arguments, for each tool run
    };

    static Result run(const Job &job);

    // The concatenation list text: one "file '<path>'" line per path, quoted for the concat demuxer.
    static QString concatList(const QStringList &paths);
    static QString concatListPath(const QString &guid);
    // "Where from" of a finished file (the xdg origin attribute), set only when it has none.
    static void setWhereFrom(const QString &path, const QString &pageUrl);

private:
    Job m_job;
    Result m_result;

    explicit QVReelgrabPostProcessor(const Job &job) : m_job(job) {}
    void process();
    bool hasFfmpeg() const;
    bool hasSwiftcarry() const;
    // Runs a tool writing output through a temporary name; true when it exited 0 and left
    // at least MinOutputBytes, which then replace output.
    bool runTool(const QString &program, const QStringList &argsBeforeOutput, const QString &output,
                 const QStringList &argsAfterOutput = {});
    bool extractAudio(const QString &input, const QString &output);
    bool combineUsingSwiftcarry(const QString &output);
    // Copies the streams of inputs into target's container without re-encoding; finalPath
    // becomes the file written (a Matroska name when MP4 cannot hold a stream; for one input
    // without the stream module, the input itself under a ".ts" name).
    bool copyStreams(const QStringList &inputs, const QString &target, QString &finalPath);
    // A new empty file beside target with that extension, named like target; empty on failure.
    static QString freeName(const QString &target, const QString &extension);
    QString temporaryOutput(const QString &output) const;
};
