#include "extension/BrowserLaunch.h"

#include "platform/SafeFileReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTimer>

#include <utility>

namespace {

// Only the end of what a browser wrote is read: the reason is its last words.
constexpr qint64 MaxErrorBytes = 64 * 1024;
constexpr int ReasonLines = 3;

bool isGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close >= 0 && close + 2 < text.size() && text.at(close + 2) == 'Z';
}

} // namespace

BrowserLaunch *BrowserLaunch::start(const QString &program, const QStringList &arguments)
{
    QString errorsPath;
    {
        QTemporaryFile errors(QDir::tempPath() + QStringLiteral("/fennix-browser-XXXXXX.log"));
        errors.setAutoRemove(false);
        if (errors.open())
            errorsPath = errors.fileName();
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!errorsPath.isEmpty())
        process.setStandardErrorFile(errorsPath);
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        if (!errorsPath.isEmpty())
            QFile::remove(errorsPath);
        return nullptr;
    }
    auto *launch = new BrowserLaunch;
    launch->m_pid = pid;
    launch->m_errorsPath = errorsPath;
    if (QCoreApplication *app = QCoreApplication::instance())
        launch->moveToThread(app->thread());
    return launch;
}

void BrowserLaunch::beginWatch()
{
    QMetaObject::invokeMethod(this, &BrowserLaunch::watch, Qt::QueuedConnection);
}

BrowserLaunch::~BrowserLaunch()
{
    if (!m_errorsPath.isEmpty())
        QFile::remove(m_errorsPath);
}

void BrowserLaunch::watch()
{
    m_timer = new QTimer(this);
    m_timer->setInterval(PollMs);
    connect(m_timer, &QTimer::timeout, this, &BrowserLaunch::poll);
    m_timer->start();
}

void BrowserLaunch::poll()
{
    ++m_polls;
    const bool gone = isGone(m_pid);
    if (!gone && m_polls * PollMs < WatchMs)
        return;
    m_timer->stop();
    QString reason;
    if (gone && !m_errorsPath.isEmpty()) {
        QFile file(m_errorsPath);
        // The browser holds the name too: whatever it left there is read only as a regular file.
        if (SafeFileReader::open(file)) {
            if (file.size() > MaxErrorBytes)
                file.seek(file.size() - MaxErrorBytes);
            reason = reasonFromErrorOutput(file.read(MaxErrorBytes));
        }
    }
    // A running browser keeps writing into the file it was given; the name goes now.
    QFile::remove(std::exchange(m_errorsPath, QString()));
    if (!reason.isEmpty())
        emit failed(reason);
    emit settled(!reason.isEmpty());
    deleteLater();
}

QString BrowserLaunch::reasonFromErrorOutput(const QByteArray &text)
{
    // "[1234:1234:1211/120000.000000:ERROR:zygote_host_impl_linux.cc(100)] Running as root ..."
    static const QRegularExpression chromiumPrefix(QStringLiteral("^\\[[^\\]]*\\]\\s*"));
    QStringList lines;
    for (const QString &raw : QString::fromLocal8Bit(text).split(QLatin1Char('\n'))) {
        QString line = raw.trimmed();
        line.remove(chromiumPrefix);
        if (!line.isEmpty())
            lines << line.left(400);
    }
    return lines.mid(std::max<qsizetype>(0, lines.size() - ReasonLines)).join(QLatin1Char('\n'));
}
