#include "tools/swiftcarry/SwiftcarryConverter.h"

#include "tools/swiftcarry/FfmpegRunner.h"
#include "tools/swiftcarry/SwiftcarryProtocol.h"
#include "media/QVMediaFileInfo.h"
#include "platform/NamedConnection.h"

#include <QFileInfo>

#include <cmath>
#include <csignal>
#include <cstdio>

using namespace SwiftcarryProtocol;

SwiftcarryConverter::SwiftcarryConverter(const Options &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
{
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setInterval(15000);
    connect(&m_replyTimer, &QTimer::timeout, this, [this]() {
        std::fprintf(stderr, "no encoder parameters from the job\n");
        finish(false);
    });
}

SwiftcarryConverter::~SwiftcarryConverter()
{
    if (m_ffmpeg && m_ffmpeg->state() != QProcess::NotRunning) {
        m_ffmpeg->kill();
        m_ffmpeg->waitForFinished(2000);
    }
}

bool SwiftcarryConverter::start()
{
    QString error;
    m_job = NamedConnection::connectTo(m_options.connectionName, 5000, &error);
    if (!m_job) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    // The job went away: nobody wants the output any more.
    connect(m_job.get(), &NamedConnection::connectionDidDie, this, [this]() {
        if (m_ffmpeg)
            m_ffmpeg->kill();
        m_ended = true;
        emit done(1);
    });
    const QString rootName = m_options.connectionName + QStringLiteral("-SwiftcarryMediaConvert");
    m_root = NamedConnection::publish(
        rootName, [this](const QString &m, const QByteArray &o) { onRootMessage(m, o); }, &error);
    if (!m_root) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        m_job->sendMessage(QLatin1String(MediaConvertDidStoped), {});
        return false;
    }
    m_job->sendMessage(QLatin1String(MediaConvertWillStart), archiveString(rootName));
    m_job->sendMessage(QLatin1String(EncodeParamsRequest), {});
    m_replyTimer.start();
    return true;
}

void SwiftcarryConverter::onRootMessage(const QString &message, const QByteArray &object)
{
    if (message == QLatin1String(EncodeParamsReply)) {
        if (m_ffmpeg || m_ended)
            return;
        m_replyTimer.stop();
        beginConversion(unarchiveDictionary(object).value(QStringLiteral("encodeParams")).toByteArray());
    } else if (message == QLatin1String(Pause)) {
        pauseFfmpeg();
    } else if (message == QLatin1String(Resume)) {
        resumeFfmpeg();
    }
}

void SwiftcarryConverter::beginConversion(const QByteArray &data)
{
    IM_EncodeParamEx block;
    if (!EncodeParamData::fromData(data, &block)) {
        std::fprintf(stderr, "encoder parameters of %lld bytes refused\n", qlonglong(data.size()));
        finish(false);
        return;
    }
    const QVMediaFileInfo source(m_options.inFile);
    QString error;
    const QStringList args = FfmpegCommand::conversionArguments(block, source, m_options.inFile, m_options.subtitle,
                                                                m_options.outFile, m_options.lossless, &error);
    if (args.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        finish(false);
        return;
    }
    m_durationUs = source.duration() * 1e6;
    m_ffmpeg = FfmpegRunner::create(this);
    m_ffmpeg->setArguments(args);
    m_ffmpeg->setProcessChannelMode(QProcess::SeparateChannels);
    m_ffmpeg->setReadChannel(QProcess::StandardOutput);
    connect(m_ffmpeg, &QProcess::readyReadStandardOutput, this, &SwiftcarryConverter::readProgress);
    connect(m_ffmpeg, &QProcess::readyReadStandardError, this,
            [this]() {
                const QByteArray text = m_ffmpeg->readAllStandardError();
                std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
            });
    connect(m_ffmpeg, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            finish(false);
    });
    connect(m_ffmpeg, &QProcess::finished, this, &SwiftcarryConverter::ffmpegFinished);
    std::fprintf(stderr, "Executable %s With Params:%s\n", qPrintable(m_ffmpeg->program()),
                 qPrintable(args.join(QLatin1Char(' '))));
    connect(m_ffmpeg, &QProcess::started, this, [this]() {
        if (m_pauseWanted) {
            m_pauseWanted = false;
            pauseFfmpeg();
        }
    });
    m_clock.start();
    m_ffmpeg->start();
}

void SwiftcarryConverter::readProgress()
{
    if (!m_progress.feed(m_ffmpeg->readAllStandardOutput()) || m_ended || m_progress.ended())
        return;
    if (m_durationUs <= 0)
        return;
    const double fraction = std::clamp(double(m_progress.outTimeUs()) / m_durationUs, 0.0, 1.0);
    // 100 is kept for the moment the output is complete.
    const int percent = std::min(99, int(fraction * 100.0));
    const double activeMs = double(m_clock.elapsed() - m_pausedMs);
    const qint64 remain = fraction > 0.001 ? qint64(std::llround(activeMs * (1.0 - fraction) / fraction / 1000.0)) : 0;
    QVariantMap progress;
    progress.insert(QLatin1String(DictionaryContent), QLatin1String(ConvertProgressContent));
    progress.insert(QStringLiteral("remain-time"), remain);
    progress.insert(QStringLiteral("progress"), percent);
    m_job->sendMessage(QLatin1String(MediaConvertDidProgressed), archiveDictionary(progress));
}

void SwiftcarryConverter::ffmpegFinished(int exitCode, QProcess::ExitStatus status)
{
    readProgress();
    const QFileInfo out(m_options.outFile);
    const bool ok = status == QProcess::NormalExit && exitCode == 0 && out.exists() && out.size() > 0;
    if (!ok)
        std::fprintf(stderr, "ffmpeg ended with status %d, code %d\n", int(status), exitCode);
    finish(ok);
}

void SwiftcarryConverter::finish(bool finished)
{
    if (m_ended)
        return;
    m_ended = true;
    m_replyTimer.stop();
    if (finished) {
        QVariantMap progress;
        progress.insert(QLatin1String(DictionaryContent), QLatin1String(ConvertProgressContent));
        progress.insert(QStringLiteral("remain-time"), 0);
        progress.insert(QStringLiteral("progress"), 100);
        m_job->sendMessage(QLatin1String(MediaConvertDidProgressed), archiveDictionary(progress));
    }
    m_job->sendMessage(QLatin1String(finished ? MediaConvertDidFinished : MediaConvertDidStoped), {});
    drainAndClose(m_job.get());
    if (m_root)
        m_root->invalidate();
    emit done(finished ? 0 : 1);
}

void SwiftcarryConverter::pauseFfmpeg()
{
    if (m_ended)
        return;
    if (!m_ffmpeg || m_ffmpeg->state() != QProcess::Running) {
        m_pauseWanted = true;  // applied as soon as ffmpeg runs
        return;
    }
    if (m_pauseStartedMs >= 0)
        return;
    ::kill(pid_t(m_ffmpeg->processId()), SIGSTOP);
    m_pauseStartedMs = m_clock.elapsed();
    m_job->sendMessage(QLatin1String(MediaConvertDidPaused), {});
}

void SwiftcarryConverter::resumeFfmpeg()
{
    m_pauseWanted = false;
    if (!m_ffmpeg || m_ffmpeg->state() != QProcess::Running || m_pauseStartedMs < 0)
        return;
    ::kill(pid_t(m_ffmpeg->processId()), SIGCONT);
    m_pausedMs += m_clock.elapsed() - m_pauseStartedMs;
    m_pauseStartedMs = -1;
}
