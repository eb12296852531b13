#include "tools/capvane/ScreenCapture.h"

#include "platform/ProcessRegistry.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

QString g_program = QStringLiteral("ffmpeg");

// A stop that ffmpeg does not honour within this time is forced.
constexpr int StopGraceMs = 15000;

// The first progress block that counts a frame: the picture is being written.
bool firstFrameWritten(const QByteArray &log)
{
    for (qsizetype at = log.indexOf("frame="); at >= 0; at = log.indexOf("frame=", at + 6)) {
        if (at > 0 && log.at(at - 1) != '\n')
            continue;
        const qsizetype end = log.indexOf('\n', at);
        if (end < 0)
            return false;
        if (log.mid(at + 6, end - at - 6).trimmed().toLongLong() > 0)
            return true;
    }
    return false;
}

// Start times of the file's streams in seconds, by ffprobe beside the ffmpeg program.
QList<double> streamStarts(const QString &path)
{
    const QFileInfo ffmpeg(QStandardPaths::findExecutable(g_program));
    const QString ffprobe = ffmpeg.exists() ? ffmpeg.absolutePath() + QStringLiteral("/ffprobe") : QString();
    if (ffprobe.isEmpty() || !QFileInfo(ffprobe).isExecutable())
        return {};
    QProcess p;
    p.start(ffprobe, {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"), QStringLiteral("stream=start_time"),
                      QStringLiteral("-of"), QStringLiteral("csv=p=0"), path});
    if (!p.waitForFinished(15000) || p.exitCode() != 0)
        return {};
    QList<double> starts;
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        bool ok = false;
        const double v = line.trimmed().toDouble(&ok);
        if (ok)
            starts.append(v);
    }
    return starts;
}

} // namespace

void ScreenCapture::alignTrackStarts(const QString &path)
{
    // One source opened before the other: the take starts where both are there, so neither
    // track begins with a gap.
    const QList<double> starts = streamStarts(path);
    if (starts.size() < 2)
        return;
    const double late = *std::max_element(starts.begin(), starts.end());
    if (late < 0.05)
        return;
    const QFileInfo file(path);
    const QString trimmed = file.absolutePath() + QStringLiteral("/.") + file.completeBaseName() + QStringLiteral(".trim.mp4");
    // ffmpeg -y writes through whatever stands at the name (a link left there): it goes first.
    QFile::remove(trimmed);
    QProcess p;
    p.start(g_program, {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                        QStringLiteral("-ss"), QString::number(late, 'f', 6), QStringLiteral("-i"), path, QStringLiteral("-map"),
                        QStringLiteral("0"), QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-movflags"),
                        QStringLiteral("+faststart"), trimmed});
    const bool done = p.waitForFinished(10 * 60 * 1000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
                      && QFileInfo(trimmed).size() > 0;
    // The untrimmed take is kept should anything go wrong: it is whole, only uneven.
    if (!done || std::rename(QFile::encodeName(trimmed).constData(), QFile::encodeName(path).constData()) != 0) {
        m_log += "the tracks' starts could not be aligned: " + p.readAllStandardError() + '\n';
        QFile::remove(trimmed);
    }
}

ScreenCapture::ScreenCapture(QObject *parent)
    : QObject(parent)
{
}

ScreenCapture::~ScreenCapture()
{
    if (m_process) {
        QObject::disconnect(m_process, nullptr, this, nullptr);
        if (m_process->state() != QProcess::NotRunning) {
            m_process->write("q");
            if (!m_process->waitForFinished(5000))
                m_process->kill();
        }
    }
}

void ScreenCapture::setProgramForTesting(const QString &program) { g_program = program; }

QSize ScreenCapture::evenSize(const QSize &size)
{
    return QSize(qMax(2, size.width() & ~1), qMax(2, size.height() & ~1));
}

QString ScreenCapture::videoEncoder()
{
    static const QString encoder = [] {
        QProcess p;
        p.start(g_program, {QStringLiteral("-hide_banner"), QStringLiteral("-encoders")});
        p.waitForFinished(10000);
        return p.readAllStandardOutput().contains(" libx264 ") ? QStringLiteral("libx264") : QStringLiteral("mpeg4");
    }();
    return encoder;
}

QStringList ScreenCapture::arguments(const Options &o, const QString &videoEncoder)
{
    const QSize size = evenSize(o.screenSize);
    const bool sound = !o.audioSource.isEmpty();
    // Progress on standard output tells when frames are really being written.
    QStringList a{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                  QStringLiteral("-progress"), QStringLiteral("pipe:1"), QStringLiteral("-stats_period"), QStringLiteral("0.2")};
    // Both sources stamp their packets with the wall clock; kept as they are (and shifted
    // together to zero when written), sound and picture stay in step however long each
    // source took to open. Each source is opened without probing ahead, so the take starts soon.
    if (sound)
        a << QStringLiteral("-copyts");
    const QStringList quickOpen{QStringLiteral("-probesize"), QStringLiteral("32"), QStringLiteral("-analyzeduration"), QStringLiteral("0")};
    // The sound source opens first, so it is there when the first frame is taken. Small
    // fragments: with the server's default the sound comes in seconds-long blocks, and the
    // last one is lost when the recording stops.
    if (sound)
        a << QStringLiteral("-thread_queue_size") << QStringLiteral("1024") << quickOpen << QStringLiteral("-f") << QStringLiteral("pulse")
          << QStringLiteral("-fragment_size") << QStringLiteral("4096") << QStringLiteral("-i") << o.audioSource;
    a << QStringLiteral("-thread_queue_size") << QStringLiteral("512") << quickOpen << QStringLiteral("-f") << QStringLiteral("x11grab")
      << QStringLiteral("-draw_mouse") << QStringLiteral("1") << QStringLiteral("-framerate") << QString::number(o.frameRate)
      << QStringLiteral("-video_size") << QStringLiteral("%1x%2").arg(size.width()).arg(size.height()) << QStringLiteral("-i")
      << QStringLiteral("%1+%2,%3").arg(o.display).arg(o.origin.x()).arg(o.origin.y());
    a << QStringLiteral("-map") << (sound ? QStringLiteral("1:v:0") : QStringLiteral("0:v:0"));
    if (sound)
        a << QStringLiteral("-map") << QStringLiteral("0:a:0");
    const QSize out = o.outputSize.isEmpty() ? size : evenSize(o.outputSize);
    if (out != size)
        a << QStringLiteral("-vf") << QStringLiteral("scale=%1:%2").arg(out.width()).arg(out.height());
    a << QStringLiteral("-c:v") << videoEncoder;
    // No frames held back in the encoder: what was on the screen when Stop came is in the
    // file, and the picture ends with the sound.
    if (videoEncoder == QLatin1String("libx264"))
        a << QStringLiteral("-preset") << QStringLiteral("ultrafast") << QStringLiteral("-tune") << QStringLiteral("zerolatency");
    if (o.videoKbps > 0)
        a << QStringLiteral("-b:v") << QStringLiteral("%1k").arg(o.videoKbps);
    else if (videoEncoder == QLatin1String("libx264"))
        a << QStringLiteral("-crf") << QStringLiteral("23");
    else
        a << QStringLiteral("-q:v") << QStringLiteral("4");
    a << QStringLiteral("-pix_fmt") << QStringLiteral("yuv420p");
    if (sound)
        a << QStringLiteral("-c:a") << QStringLiteral("aac") << QStringLiteral("-b:a")
          << (o.audioBitRate > 0 ? QString::number(o.audioBitRate) : QStringLiteral("128k"));
    if (sound)
        a << QStringLiteral("-avoid_negative_ts") << QStringLiteral("make_zero");
    a << QStringLiteral("-movflags") << QStringLiteral("+faststart") << o.outputPath;
    return a;
}

bool ScreenCapture::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

bool ScreenCapture::start(const Options &options, QString *error)
{
    if (isRunning()) {
        if (error)
            *error = QStringLiteral("A recording is already running.");
        return false;
    }
    if (options.display.isEmpty() || options.outputPath.isEmpty() || options.screenSize.isEmpty()) {
        if (error)
            *error = QStringLiteral("No screen to record.");
        return false;
    }
    m_options = options;
    m_log.clear();
    m_stopping = false;
    m_capturing = false;
    QProcess *p = ProcessRegistry::shared().createProcess(this);
    m_process = p;
    p->setProgram(g_program);
    p->setArguments(arguments(options, videoEncoder()));
    p->setProcessChannelMode(QProcess::MergedChannels);
    connect(p, &QProcess::readyRead, this, [this, p] {
        m_log += p->readAll();
        if (!m_capturing && firstFrameWritten(m_log)) {
            m_capturing = true;
            emit started();
        }
        if (m_log.size() > 64 * 1024)
            m_log = m_log.right(16 * 1024);
    });
    connect(p, &QProcess::finished, this, [this, p](int code, QProcess::ExitStatus status) {
        m_log += p->readAll();
        p->deleteLater();
        // "q" makes ffmpeg end with code 0 once the file is written; anything else is a failure.
        bool ok = status == QProcess::NormalExit && code == 0 && QFileInfo(m_options.outputPath).isFile();
        if (ok && !m_options.audioSource.isEmpty())
            alignTrackStarts(m_options.outputPath);
        const QFileInfo out(m_options.outputPath);
        ok = ok && out.size() > 0;
        QStringList said;
        for (const QByteArray &line : m_log.split('\n'))
            if (!line.contains('=') && !line.trimmed().isEmpty())
                said.append(QString::fromLocal8Bit(line.trimmed()));
        const QString reason = ok ? QString() : QStringLiteral("ffmpeg ended (code %1): %2").arg(code).arg(said.join(QLatin1Char(' ')).right(500));
        emit finished(ok, m_options.outputPath, reason);
    });
    connect(p, &QProcess::errorOccurred, this, [this, p](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        p->deleteLater();
        emit finished(false, m_options.outputPath, QStringLiteral("ffmpeg could not be started: %1").arg(p->errorString()));
    });
    p->start();
    return true;
}

void ScreenCapture::stop()
{
    if (!isRunning() || m_stopping)
        return;
    m_stopping = true;
    m_process->write("q");
    QPointer<QProcess> p = m_process;
    QTimer::singleShot(StopGraceMs, this, [p] {
        if (p && p->state() != QProcess::NotRunning)
            p->terminate();
    });
}
