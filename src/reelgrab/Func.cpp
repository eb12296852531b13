#include "reelgrab/Func.h"

#include <QThread>
#include <QtDebug>


LogDFunction fLogDFunc = nullptr;

namespace {

const char *prefixFor(int level)
{
    switch (level) {
    case FuncLogError:
        return "[ RGK ]ERROR:";
    case FuncLogWarning:
        return "[ RGK ]WARNING:";
    default:
        return "[ RGK ]INFO:";
    }
}

} // namespace

void Func(int level, const QString &text)
{
    const QByteArray line = QByteArray(prefixFor(level)) + text.toUtf8();
    if (LogDFunction logD = fLogDFunc) {
        logD(level, "%s", line.constData());
        return;
    }
    // Without the engine's log the line goes to the system log (journald picks up stderr).
    qInfo().noquote() << QStringLiteral("NSThread:%1").arg(QThread::currentThread()->objectName().isEmpty()
                                                                ? QString::number(quintptr(QThread::currentThreadId()), 16)
                                                                : QThread::currentThread()->objectName());
    qInfo().noquote() << QStringLiteral("log:%1").arg(QString::fromUtf8(line));
}
