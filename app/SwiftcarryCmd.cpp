// SwiftcarryCmd: conversion, media information and thumbnails for the application, audio
// extraction and joining for the download helper. The first argument chooses the use.
#include "tools/swiftcarry/SwiftcarryCapturer.h"
#include "tools/swiftcarry/SwiftcarryConverter.h"
#include "tools/swiftcarry/SwiftcarryMediaInfo.h"
#include "tools/swiftcarry/SwiftcarryPostProcess.h"
#include "tools/swiftcarry/SwiftcarryProtocol.h"
#include "tools/swiftcarry/ToolSignals.h"

#include <QCoreApplication>

#include <cstdio>

extern "C" {
#include <libavutil/log.h>
}

namespace {

// Runs the event loop until the use reports done; its code is the exit code.
template <class Use>
int runLoop(Use &use, bool started)
{
    if (!started)
        return 2;
    int code = 0;
    QObject::connect(&use, &Use::done, QCoreApplication::instance(), [&code](int c) {
        code = c;
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    return code;
}

QString valueAfter(const QStringList &args, const char *option)
{
    const qsizetype at = args.indexOf(QLatin1String(option));
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    ToolSignals::install();
    av_log_set_level(AV_LOG_ERROR);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: SwiftcarryCmd <connection name> [arguments]\n");
        return 64;
    }
    const QString first = args.first();
    const QStringList rest = args.mid(1);
    if (first == QLatin1String(SwiftcarryProtocol::AudioExtractUse))
        return SwiftcarryPostProcess::audioExtract(rest);
    if (first == QLatin1String(SwiftcarryProtocol::MediaCombineUse))
        return SwiftcarryPostProcess::mediaCombine(rest);

    switch (SwiftcarryProtocol::useOfConnectionName(first)) {
    case SwiftcarryProtocol::Use::Convert: {
        SwiftcarryConverter::Options o;
        o.connectionName = first;
        o.inFile = valueAfter(rest, "-inFile");
        o.subtitle = valueAfter(rest, "-subtitle");
        o.outFile = valueAfter(rest, "-outFile");
        o.lossless = valueAfter(rest, "-lossless") == QLatin1String("1");
        if (o.inFile.isEmpty() || o.outFile.isEmpty()) {
            std::fprintf(stderr, "usage: SwiftcarryCmd <name> -inFile <f> [-subtitle <s>] -outFile <f> -lossless 0|1\n");
            return 64;
        }
        SwiftcarryConverter converter(o);
        return runLoop(converter, converter.start());
    }
    case SwiftcarryProtocol::Use::MediaInfo: {
        SwiftcarryMediaInfo info(first, rest);
        return runLoop(info, info.start());
    }
    case SwiftcarryProtocol::Use::Thumbnail: {
        SwiftcarryCapturer capturer(first);
        return runLoop(capturer, capturer.start());
    }
    case SwiftcarryProtocol::Use::Unknown:
        break;
    }
    std::fprintf(stderr, "unknown use: %s\n", qPrintable(first));
    return 64;
}
