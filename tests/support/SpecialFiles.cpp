#include "support/SpecialFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

const QList<SpecialFiles::Case> &SpecialFiles::all()
{
    static const QList<Case> cases{
        {Kind::Fifo, "FIFO", "a FIFO"},
        {Kind::Folder, "folder", "a folder"},
        {Kind::Socket, "socket", "a socket"},
        {Kind::DeviceLink, "link to /dev/zero", "a character device"},
        {Kind::DanglingLink, "dangling link", "a dangling link"},
    };
    return cases;
}

bool SpecialFiles::plant(Kind kind, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray native = QFile::encodeName(path);
    QFileInfo existing(path);
    if (existing.isDir() && !existing.isSymLink())
        QDir(path).removeRecursively();
    else
        ::unlink(native.constData());
    switch (kind) {
    case Kind::Fifo: return ::mkfifo(native.constData(), 0600) == 0;
    case Kind::Folder: return ::mkdir(native.constData(), 0700) == 0;
    case Kind::DeviceLink: return ::symlink("/dev/zero", native.constData()) == 0;
    case Kind::DanglingLink: return ::symlink((native + ".nowhere").constData(), native.constData()) == 0;
    case Kind::Socket: {
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        if (size_t(native.size()) >= sizeof address.sun_path)
            return false;
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        if (fd >= 0)
            ::close(fd); // the name stays: nobody listens behind it
        return bound;
    }
    }
    return false;
}

bool SpecialFiles::returnsPromptly(const std::function<void()> &fn, const QStringList &paths, int timeoutMs)
{
    struct Shared
    {
        std::mutex lock;
        std::condition_variable changed;
        bool done = false;
    };
    auto shared = std::make_shared<Shared>();
    std::thread worker([fn, shared] {
        fn();
        std::lock_guard<std::mutex> hold(shared->lock);
        shared->done = true;
        shared->changed.notify_all();
    });
    bool prompt;
    {
        std::unique_lock<std::mutex> hold(shared->lock);
        prompt = shared->changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] { return shared->done; });
    }
    // A reader stuck in open() or read() on a FIFO is released by a writer that comes and goes.
    while (!prompt) {
        for (const QString &path : paths) {
            struct stat st = {};
            if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode)) {
                const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0)
                    ::close(fd);
            }
        }
        std::unique_lock<std::mutex> hold(shared->lock);
        if (shared->changed.wait_for(hold, std::chrono::milliseconds(200), [&] { return shared->done; }))
            break;
    }
    worker.join();
    return prompt;
}
