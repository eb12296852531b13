#include "platform/ProcessTree.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <signal.h>
#include <sys/resource.h>

namespace {

// The parent of pid from /proc/<pid>/stat, or -1. The command name in parentheses may hold
// spaces and parentheses itself: the fields follow the last ')'.
qint64 parentOf(const QString &pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.read(4096);
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() : -1;
}

// "VmSwap:     123 kB" and the like, in bytes; 0 when absent.
qint64 statusBytes(const QByteArray &status, const QByteArray &key)
{
    const qsizetype at = status.indexOf('\n' + key + ':');
    if (at < 0)
        return 0;
    const qsizetype end = status.indexOf('\n', at + 1);
    const QByteArray line = status.mid(at + key.size() + 2, end < 0 ? -1 : end - at - key.size() - 2).trimmed();
    return line.split(' ').value(0).toLongLong() * 1024;
}

} // namespace

namespace ProcessTree {

QList<qint64> members(qint64 root)
{
    if (root <= 0 || !QFile::exists(QStringLiteral("/proc/%1").arg(root)))
        return {};
    QHash<qint64, QList<qint64>> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (number && pid != root)
            children[parentOf(entry)].append(pid);
    }
    QList<qint64> out{root};
    for (qsizetype i = 0; i < out.size(); ++i)
        out += children.value(out[i]);
    return out;
}

qint64 privateBytes(qint64 root)
{
    qint64 total = 0;
    for (const qint64 pid : members(root)) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = '\n' + status.readAll();
        total += statusBytes(text, "RssAnon") + statusBytes(text, "VmSwap");
    }
    return total;
}

void killAll(qint64 root)
{
    // Descendants first: once root is gone they belong to someone else's tree.
    const QList<qint64> tree = members(root);
    for (qsizetype i = tree.size() - 1; i >= 0; --i)
        ::kill(pid_t(tree[i]), SIGKILL);
}

std::function<void()> dataLimit(qint64 bytes)
{
    return [bytes]() {
        const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
        ::setrlimit(RLIMIT_DATA, &limit);
    };
}

} // namespace ProcessTree
