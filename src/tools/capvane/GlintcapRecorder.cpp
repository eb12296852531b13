#include "tools/capvane/GlintcapRecorder.h"

#include "media/IM_EncodeParamEx.h"
#include "platform/KeyedArchiver.h"
#include "platform/NamedConnection.h"
#include "recording/AudioCaptureDevice.h"
#include "tools/capvane/GlintcapProtocol.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstring>

using namespace GlintcapProtocol;

namespace {

void say(const QString &line) { std::fprintf(stderr, "Glintcap: %s\n", qPrintable(line)); }

} // namespace

GlintcapRecorder::GlintcapRecorder(const QString &connectionName, const Screen &screen, QObject *parent)
    : QObject(parent), m_connectionName(connectionName), m_screen(screen)
{
    connect(&m_capture, &ScreenCapture::started, this, [this] {
        say(QStringLiteral("capturing"));
        if (m_controller && m_controller->isValid())
            m_controller->sendMessage(QLatin1String(ScreenRecorderCtrDidCapture), {});
    });
    connect(&m_capture, &ScreenCapture::finished, this, [this](bool ok, const QString &path, const QString &error) {
        if (ok)
            say(QStringLiteral("saved %1").arg(path));
        else
            say(error);
        end(ok ? Recorded : Failed);
    });
}

GlintcapRecorder::~GlintcapRecorder() = default;

bool GlintcapRecorder::start(QString *error)
{
    m_controller = NamedConnection::connectTo(m_connectionName, 5000, error);
    if (!m_controller)
        return false;
    connect(m_controller.get(), &NamedConnection::connectionDidDie, this, [this] {
        // Nobody is left to stop the take: finish the file as a stop would.
        say(QStringLiteral("the recorder's connection is gone"));
        stopCapture();
    });
    const QString rootName = toolRootName(m_connectionName);
    m_root = NamedConnection::publish(rootName, [this](const QString &m, const QByteArray &o) { message(m, o); }, error);
    if (!m_root)
        return false;
    m_controller->sendMessage(QLatin1String(ScreenRecorderCtrDidStart), KeyedArchiver::archivedRootString(rootName));
    return true;
}

QRect GlintcapRecorder::grabArea(const QRectF &points, qreal scale, const QRect &screenPixels)
{
    if (points.isEmpty() || !(scale > 0))
        return {};
    const QRectF pixels(points.x() * scale, points.y() * scale, points.width() * scale, points.height() * scale);
    QRect area = pixels.toAlignedRect().intersected(screenPixels);
    if (area.width() < 2 || area.height() < 2)
        return {};
    area.setSize(ScreenCapture::evenSize(area.size()));
    return area;
}

bool GlintcapRecorder::isWritableOutput(const QString &path, QString *error)
{
    auto refuse = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return refuse(QStringLiteral("The output file must be an absolute path."));
    const QFileInfo file(path);
    if (!QFileInfo(file.absolutePath()).isDir())
        return refuse(QStringLiteral("The folder of \"%1\" does not exist.").arg(path));
    if (file.isSymLink() || (file.exists() && (!file.isFile() || file.size() > 0)))
        return refuse(QStringLiteral("\"%1\" is already taken.").arg(path));
    return true;
}

void GlintcapRecorder::message(const QString &name, const QByteArray &object)
{
    say(QStringLiteral("received %1").arg(name));
    if (m_started && name != QLatin1String(StopCapture))
        return;  // the take's settings are fixed once it runs
    if (name == QLatin1String(SetCaptureRect)) {
        const QRectF rect = unarchiveRect(object);
        if (rect.isNull())
            say(QStringLiteral("ignored a malformed rectangle"));
        else
            m_rect = rect;
    } else if (name == QLatin1String(SetEncodeParams)) {
        if (object.size() != qsizetype(sizeof(IM_EncodeParamEx))) {
            say(QStringLiteral("ignored an encoder block of %1 bytes").arg(object.size()));
            return;
        }
        IM_EncodeParamEx block;
        std::memcpy(&block, object.constData(), sizeof block);
        if (block.width > 0 && block.height > 0 && block.width <= 16384 && block.height <= 16384)
            m_outputSize = QSize(block.width, block.height);
        if (std::isfinite(block.frameRate) && block.frameRate >= 1 && block.frameRate <= 120)
            m_frameRate = block.frameRate;
        // Video in kbit/s, audio in bit/s, as the recorder fills them.
        m_videoKbps = block.videoBitrate <= 200000 ? int(block.videoBitrate) : 0;
        m_audioBitRate = block.audioBitrate <= 1000000 ? int(block.audioBitrate) : 0;
    } else if (name == QLatin1String(SetOutputFile)) {
        const QString path = KeyedUnarchiver::rootString(object);
        QString why;
        if (isWritableOutput(path, &why))
            m_outputFile = path;
        else
            say(QStringLiteral("refused the output file: %1").arg(why));
    } else if (name == QLatin1String(StartCapture)) {
        startCapture();
    } else if (name == QLatin1String(StopCapture)) {
        stopCapture();
    }
}

void GlintcapRecorder::startCapture()
{
    m_started = true;
    const QRect area = grabArea(m_rect, m_screen.scale, m_screen.pixels);
    if (area.isEmpty() || m_outputFile.isEmpty()) {
        say(area.isEmpty() ? QStringLiteral("no rectangle on the screen to record") : QStringLiteral("no output file"));
        end(Failed);
        return;
    }
    // The file may have been swapped for something else since it was named.
    QString why;
    if (!isWritableOutput(m_outputFile, &why)) {
        say(why);
        end(Failed);
        return;
    }
    ScreenCapture::Options options;
    options.display = m_screen.display;
    options.origin = area.topLeft();
    options.screenSize = area.size();
    options.outputSize = m_outputSize;
    if (m_frameRate > 0)
        options.frameRate = qRound(m_frameRate);
    options.videoKbps = m_videoKbps;
    options.audioBitRate = m_audioBitRate;
    options.outputPath = m_outputFile;
    QString reason;
    options.audioSource = AudioCaptureDevice().launchAudioDeviceWithClassName(&reason);
    if (options.audioSource.isEmpty())
        say(QStringLiteral("recording without sound: %1").arg(reason));
    say(QStringLiteral("recording %1x%2 at %3,%4 of %5 into %6")
            .arg(area.width()).arg(area.height()).arg(area.x()).arg(area.y()).arg(options.display, options.outputPath));
    if (!m_capture.start(options, &reason)) {
        say(reason);
        end(Failed);
    }
}

void GlintcapRecorder::stopCapture()
{
    if (m_capture.isRunning()) {
        m_capture.stop();
        return;
    }
    if (!m_started)
        end(NothingRecorded);
}

void GlintcapRecorder::end(int exitCode)
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_root)
        m_root->invalidate();
    emit finished(exitCode);
}
