#pragma once

#include <QProcess>
#include <QStringList>

// Starts the ffmpeg program as the tool's child: it dies with the tool (SIGKILL, since a
// stopped child would not act on SIGTERM) and the tool's signal handler knows its pid.
namespace FfmpegRunner {
QProcess *create(QObject *parent);
// Runs to the end, passing ffmpeg's output through to the tool's own; the exit code, or -1
// when ffmpeg could not start or died of a signal.
int runBlocking(const QStringList &arguments);
}
