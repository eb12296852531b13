#include "devices/AdbHelper.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

QString AdbHelper::adbProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("adb"));
}

AdbHelper::Result AdbHelper::run(const QStringList &args, const QString &serialNumber, int timeoutMs)
{
    Result result;
    const QString program = adbProgram();
    if (program.isEmpty())
        return result;
    QStringList argv;
    if (!serialNumber.isEmpty())
        argv << QStringLiteral("-s") << serialNumber;
    argv << args;
    QProcess process;
    process.setProgram(program);
    process.setArguments(argv);
    process.start();
    if (!process.waitForStarted(10000))
        return result;
    result.started = true;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(2000);
        result.exitCode = -1;
    } else {
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    result.output = process.readAllStandardOutput();
    result.error = process.readAllStandardError();
    return result;
}

AdbHelper::Result AdbHelper::shell(const QString &serialNumber, const QString &command, int timeoutMs)
{
    return run({QStringLiteral("shell"), command}, serialNumber, timeoutMs);
}

QString AdbHelper::pipeExecuteCmd(const QString &command, const QString &serialNumber)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    const QStringList words = command.split(space, Qt::SkipEmptyParts);
    if (words.isEmpty())
        return QString();
    const Result result = run(words, serialNumber);
    if (!result.started)
        return QStringLiteral("adb not found");
    QString text = QString::fromUtf8(result.output).trimmed();
    if (!result.ok() && text.isEmpty())
        text = QString::fromUtf8(result.error).trimmed();
    if (!result.ok() && text.isEmpty())
        text = QStringLiteral("adb failed");
    return text;
}

QString AdbHelper::shellQuote(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}
