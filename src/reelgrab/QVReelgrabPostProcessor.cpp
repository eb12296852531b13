#include "reelgrab/QVReelgrabPostProcessor.h"

#include "platform/PrivateFolder.h"
#include "platform/SafeSaveFile.h"
#include "reelgrab/Func.h"
#include "reelgrab/GUID.h"
#include "reelgrab/MediaFormatCode.h"
#include "reelgrab/MediaRemuxer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>

namespace {

// A tool that has not ended by then is taken to hang: it is stopped and the step fails.
constexpr qint64 ToolTimeoutMs = 6LL * 60 * 60 * 1000;

qint64 fileSize(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile() ? info.size() : -1;
}

} // namespace

QVReelgrabPostProcessor::Result QVReelgrabPostProcessor::run(const Job &job)
{
    QVReelgrabPostProcessor p(job);
    p.process();
    return p.m_result;
}

bool QVReelgrabPostProcessor::hasFfmpeg() const
{
    return !m_job.ffmpegPath.isEmpty() && QFileInfo(m_job.ffmpegPath).isFile();
}

bool QVReelgrabPostProcessor::hasSwiftcarry() const
{
    return !m_job.swiftcarryPath.isEmpty() && QFileInfo(m_job.swiftcarryPath).isFile();
}

QString QVReelgrabPostProcessor::temporaryOutput(const QString &output) const
{
    // Hidden, named by the task, and keeping the extension the tool picks its format by.
    const QFileInfo info(output);
    const QString tag = m_job.guid.isEmpty() ? QStringLiteral("work") : m_job.guid;
    return info.dir().filePath(QStringLiteral(".%1.%2.part.%3").arg(info.completeBaseName(), tag, info.suffix()));
}

bool QVReelgrabPostProcessor::runTool(const QString &program, const QStringList &before, const QString &output,
                                      const QStringList &after)
{
    const QString temp = temporaryOutput(output);
    QFile::remove(temp);
    const QStringList args = QStringList(before) << temp << after;
    m_result.runs.append(QStringList(program) << args);
    Func(FuncLogInfo, QStringLiteral("Executable %1 With Params:%2").arg(program, args.join(QStringLiteral(", "))));
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    bool ok = process.waitForStarted(10000);
    if (ok) {
        // Read as it comes so a talkative tool never blocks on a full pipe.
        QElapsedTimer clock;
        clock.start();
        while (!process.waitForFinished(1000)) {
            if (process.state() == QProcess::NotRunning)
                break;
            if (clock.elapsed() > ToolTimeoutMs) {
                Func(FuncLogError, QStringLiteral("%1 still runs after %2 s, stopped")
                                       .arg(QFileInfo(program).fileName())
                                       .arg(ToolTimeoutMs / 1000));
                process.kill();
                process.waitForFinished(5000);
                break;
            }
        }
        const QByteArray out = process.readAllStandardOutput() + process.readAllStandardError();
        if (!out.isEmpty())
            Func(FuncLogInfo, QStringLiteral("convertMessageDidReceived %1").arg(QString::fromUtf8(out.right(4096))));
        ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }
    if (ok && fileSize(temp) >= MinOutputBytes) {
        // rename(2) replaces the placeholder or an older file in one step.
        if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(output).constData()) == 0)
            return true;
    }
    Func(FuncLogError, QStringLiteral("%1 failed (exit %2, output %3 bytes)")
                           .arg(QFileInfo(program).fileName())
                           .arg(process.exitCode())
                           .arg(fileSize(temp)));
    QFile::remove(temp);
    return false;
}

bool QVReelgrabPostProcessor::extractAudio(const QString &input, const QString &output)
{
    if (hasFfmpeg())
        return runTool(m_job.ffmpegPath,
                       {QStringLiteral("-i"), input, QStringLiteral("-f"), QStringLiteral("mp3"), QStringLiteral("-vn"),
                        QStringLiteral("-ab"), QStringLiteral("320000"), QStringLiteral("-y")},
                       output);
    if (hasSwiftcarry())
        return runTool(m_job.swiftcarryPath,
                       {QStringLiteral("Swiftcarry-AudioExtract"), QStringLiteral("-inFile"), input,
                        QStringLiteral("-outFile")},
                       output);
    Func(FuncLogError, QStringLiteral("Coun't Find FFMpeg In %1 or Swiftcarry In %2").arg(m_job.ffmpegPath, m_job.swiftcarryPath));
    return false;
}

static bool isSplitAudioVideo(const QList<QVSniffingMediaSegment> &segments)
{
    return segments.size() == 2 && segments[0].mediaFormat() != segments[1].mediaFormat()
        && (segments[0].mediaFormat() == MediaFormatCode::MP4Audio || segments[1].mediaFormat() == MediaFormatCode::MP4Audio);
}

bool QVReelgrabPostProcessor::combineUsingSwiftcarry(const QString &output)
{
    if (!hasSwiftcarry()) {
        Func(FuncLogError, QStringLiteral("Coun't Find Swiftcarry In %1").arg(m_job.swiftcarryPath));
        return false;
    }
    const auto &segs = m_job.segments;
    QStringList args{QStringLiteral("Swiftcarry-MediaCombine")};
    if (isSplitAudioVideo(segs)) {
        const bool firstIsAudio = segs[0].mediaFormat() == MediaFormatCode::MP4Audio;
        args << QStringLiteral("-aFiles") << (firstIsAudio ? segs[0] : segs[1]).savePath() << QStringLiteral("-vFiles")
             << (firstIsAudio ? segs[1] : segs[0]).savePath();
    } else {
        args << QStringLiteral("-vFiles");
        for (const auto &s : segs)
            args << s.savePath();
    }
    args << QStringLiteral("-outFile");
    return runTool(m_job.swiftcarryPath, args, output);
}

QString QVReelgrabPostProcessor::concatList(const QStringList &paths)
{
    QString text;
    for (QString path : paths) {
        // Inside single quotes the concat demuxer knows no escapes: close, escaped quote, reopen.
        path.replace(QStringLiteral("'"), QStringLiteral("'\\''"));
        text += QStringLiteral("file '%1'\n").arg(path);
    }
    return text;
}

QString QVReelgrabPostProcessor::concatListPath(const QString &guid)
{
    // In the private list folder, never the shared temporary one; a name that is not an
    // identifier could climb out of it.
    const QString folder = PrivateFolder::cache(QStringLiteral("ReelgrabKit/Lists"));
    if (folder.isEmpty())
        return {};
    return QDir(folder).filePath(QStringLiteral("%1.lst").arg(isGUID(guid) ? guid : QStringLiteral("segments")));
}

void QVReelgrabPostProcessor::process()
{
    const auto &segs = m_job.segments;
    const bool audioOnly = m_job.downloadContent & 4;
    const QString target = m_job.target;
    bool ok = true;

    QString finalPath = target;
    bool enginesOwnFile = false;
    if (segs.size() == 1) {
        const QString segment = m_job.currentSegmentPath.isEmpty() ? segs[0].savePath() : m_job.currentSegmentPath;
        if (audioOnly && segs[0].mediaFormat() != MediaFormatCode::MP3)
            ok = extractAudio(segment, target);
        else if (segs[0].mediaFormat() == MediaFormatCode::TS && QFileInfo(segment) != QFileInfo(target))
            ok = copyStreams({segment}, target, finalPath);
        else
            enginesOwnFile = QFileInfo(segment) == QFileInfo(target);
    } else if (isSplitAudioVideo(segs)) {
        const bool firstIsAudio = segs[0].mediaFormat() == MediaFormatCode::MP4Audio;
        const QString audio = (firstIsAudio ? segs[0] : segs[1]).savePath();
        const QString video = (firstIsAudio ? segs[1] : segs[0]).savePath();
        if (hasFfmpeg())
            ok = runTool(m_job.ffmpegPath,
                         {QStringLiteral("-i"), audio, QStringLiteral("-i"), video, QStringLiteral("-acodec"),
                          QStringLiteral("copy"), QStringLiteral("-vcodec"), QStringLiteral("copy"), QStringLiteral("-y")},
                         target);
        else if (hasSwiftcarry() || !MediaRemuxer::available())
            ok = combineUsingSwiftcarry(target);
        else
            ok = copyStreams({video, audio}, target, finalPath);
    } else if (segs.size() >= 2) {
        QString output = target;
        if (audioOnly) {
            const QFileInfo first(segs[0].savePath());
            output = first.dir().filePath(QFileInfo(target).completeBaseName() + u'.' + first.suffix());
        }
        if (hasFfmpeg()) {
            QStringList paths;
            for (const auto &s : segs)
                paths << s.savePath();
            const QString list = concatListPath(m_job.guid);
            SafeSaveFile file(list);
            ok = !list.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(concatList(paths).toUtf8()) >= 0 && file.commit();
            if (ok)
                ok = runTool(m_job.ffmpegPath,
                             {QStringLiteral("-f"), QStringLiteral("concat"), QStringLiteral("-safe"), QStringLiteral("0"),
                              QStringLiteral("-i"), list, QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-y")},
                             output);
            if (!list.isEmpty())
                PrivateFolder::removeFile(QFileInfo(list).absolutePath(), list);
        } else {
            ok = combineUsingSwiftcarry(output);
        }
        if (ok && audioOnly) {
            ok = extractAudio(output, target);
            QFile::remove(output);
        }
    }

    const qint64 size = fileSize(finalPath);
    const bool wholeEngineFile = enginesOwnFile && size > 0 && size == m_job.engineBytes;
    if (ok && (size >= MinOutputBytes || wholeEngineFile)) {
        setWhereFrom(finalPath, m_job.pageUrl);
        m_result.ok = true;
        m_result.path = finalPath;
    }
}

bool QVReelgrabPostProcessor::copyStreams(const QStringList &inputs, const QString &target, QString &finalPath)
{
    const QString temp = temporaryOutput(target);
    const MediaRemuxer::Result copied = MediaRemuxer::remux(inputs, temp);
    if (!copied.message.isEmpty())
        Func(copied.ok ? FuncLogInfo : FuncLogError, QStringLiteral("copy streams of %1: %2").arg(inputs.join(u','), copied.message));
    QString destination = target;
    if (copied.ok && copied.container != QFileInfo(target).suffix()) {
        // MP4 cannot hold one of the streams: the file keeps it under the name of a container
        // that can, and the reserved name goes.
        destination = freeName(target, copied.container);
        if (!destination.isEmpty() && fileSize(target) == 0)
            QFile::remove(target);
    }
    if (copied.ok && fileSize(temp) >= MinOutputBytes && !destination.isEmpty()
        && ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(destination).constData()) == 0) {
        finalPath = destination;
        return true;
    }
    QFile::remove(temp);
    if (inputs.size() != 1)
        return false;
    // Without the stream module the video is still the user's, as the stream it came in.
    destination = freeName(target, MediaFormatCode::extName(MediaFormatCode::TS));
    if (destination.isEmpty() || ::rename(QFile::encodeName(inputs.first()).constData(), QFile::encodeName(destination).constData()) != 0)
        return false;
    Func(FuncLogInfo, QStringLiteral("kept the stream as %1").arg(destination));
    if (fileSize(target) == 0)
        QFile::remove(target);
    finalPath = destination;
    return true;
}

QString QVReelgrabPostProcessor::freeName(const QString &target, const QString &extension)
{
    const QFileInfo info(target);
    for (int n = 0; n < 100000; ++n) {
        const QString candidate = info.dir().filePath(
            n == 0 ? QStringLiteral("%1.%2").arg(info.completeBaseName(), extension)
                   : QStringLiteral("%1 %2.%3").arg(info.completeBaseName(), QString::number(n), extension));
        // Reserved the way the target was: created here, never an existing file of the user.
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

void QVReelgrabPostProcessor::setWhereFrom(const QString &path, const QString &pageUrl)
{
    if (pageUrl.isEmpty())
        return;
    const QByteArray value = pageUrl.toUtf8();
    // XATTR_CREATE: an origin the file already carries stays.
    ::setxattr(QFile::encodeName(path).constData(), "user.xdg.origin.url", value.constData(), size_t(value.size()),
               XATTR_CREATE);
}
