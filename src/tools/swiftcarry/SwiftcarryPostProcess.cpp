#include "tools/swiftcarry/SwiftcarryPostProcess.h"

#include "tools/swiftcarry/FfmpegCommand.h"
#include "tools/swiftcarry/FfmpegRunner.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace SwiftcarryPostProcess {

namespace {

const QStringList &optionNames()
{
    static const QStringList names = {QStringLiteral("-inFile"), QStringLiteral("-outFile"), QStringLiteral("-aFiles"),
                                      QStringLiteral("-vFiles")};
    return names;
}

int checkedOutput(int code, const QString &out)
{
    if (code != 0)
        return code < 0 ? 2 : code;
    return QFileInfo(out).size() > 0 ? 0 : 2;
}

} // namespace

QStringList valuesOf(const QStringList &arguments, const QString &option)
{
    QStringList out;
    const qsizetype at = arguments.indexOf(option);
    if (at < 0)
        return out;
    for (qsizetype i = at + 1; i < arguments.size() && !optionNames().contains(arguments.at(i)); ++i)
        out.append(arguments.at(i));
    return out;
}

int audioExtract(const QStringList &arguments)
{
    const QStringList in = valuesOf(arguments, QStringLiteral("-inFile"));
    const QStringList out = valuesOf(arguments, QStringLiteral("-outFile"));
    if (in.size() != 1 || out.size() != 1) {
        std::fprintf(stderr, "usage: Swiftcarry-AudioExtract -inFile <file> -outFile <file>\n");
        return 64;
    }
    return checkedOutput(FfmpegRunner::runBlocking(FfmpegCommand::audioExtractArguments(in.first(), out.first())),
                         out.first());
}

int mediaCombine(const QStringList &arguments)
{
    const QStringList audio = valuesOf(arguments, QStringLiteral("-aFiles"));
    const QStringList video = valuesOf(arguments, QStringLiteral("-vFiles"));
    const QStringList out = valuesOf(arguments, QStringLiteral("-outFile"));
    if (out.size() != 1 || video.isEmpty() || audio.size() > 1 || (audio.size() == 1 && video.size() != 1)) {
        std::fprintf(stderr, "usage: Swiftcarry-MediaCombine (-aFiles <a> -vFiles <v> | -vFiles <f>...) -outFile <file>\n");
        return 64;
    }
    if (audio.size() == 1)
        return checkedOutput(FfmpegRunner::runBlocking(FfmpegCommand::muxArguments(audio.first(), video.first(), out.first())),
                             out.first());
    QTemporaryDir work;  // private (0700), removed afterwards
    if (!work.isValid())
        return 2;
    const QString listPath = work.filePath(QStringLiteral("segments.lst"));
    QFile list(listPath);
    if (!list.open(QIODevice::WriteOnly))
        return 2;
    for (const QString &file : video)
        list.write(FfmpegCommand::concatListLine(file).toUtf8());
    list.close();
    return checkedOutput(FfmpegRunner::runBlocking(FfmpegCommand::concatArguments(listPath, out.first())), out.first());
}

} // namespace SwiftcarryPostProcess
