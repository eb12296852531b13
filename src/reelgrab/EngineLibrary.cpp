#include "reelgrab/EngineLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace EngineLibrary {

void *open(const QString &path, QString *error)
{
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("no library path");
        return nullptr;
    }
    void *handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle) {
        if (error)
            *error = QString::fromLocal8Bit(::dlerror());
        return nullptr;
    }
    // A library of another ABI would be called with the wrong layouts: refuse it before any use.
    const auto version = symbol<int (*)()>(handle, "CorvidashApiVersion");
    const int found = version ? version() : 0;
    if (found != CORVIDASH_API_VERSION) {
        if (error) {
            *error = version ? QStringLiteral("%1 has engine API version %2, this program needs version %3")
                                   .arg(path)
                                   .arg(found)
                                   .arg(CORVIDASH_API_VERSION)
                             : QStringLiteral("%1 is no engine library of API version %2 (it has no CorvidashApiVersion)")
                                   .arg(path)
                                   .arg(CORVIDASH_API_VERSION);
        }
        ::dlclose(handle);
        return nullptr;
    }
    return handle;
}

void close(void *handle)
{
    if (handle)
        ::dlclose(handle);
}

namespace {

// Who is to hear of a load's end. Kept apart from the load's future, which owns the loading
// function and with it this list.
struct Waiters
{
    std::mutex mutex;
    bool done = false;
    std::vector<std::function<void()>> list;

    void add(std::function<void()> fn)
    {
        if (!fn)
            return;
        {
            std::lock_guard lock(mutex);
            if (!done) {
                list.push_back(std::move(fn));
                return;
            }
        }
        fn();
    }

    void finish()
    {
        std::vector<std::function<void()>> now;
        {
            std::lock_guard lock(mutex);
            done = true;
            now.swap(list);
        }
        for (const auto &fn : now)
            fn();
    }
};

struct Pending
{
    std::shared_future<Load> future;
    std::shared_ptr<Waiters> waiters;
};

std::mutex g_earlyMutex;
QString g_earlyPath;
std::optional<Pending> g_early;

Pending startLoad(const QString &path)
{
    Pending pending;
    pending.waiters = std::make_shared<Waiters>();
    pending.future = std::async(std::launch::async, [path, waiters = pending.waiters]() {
                         Load load;
                         load.handle = open(path, &load.error);
                         waiters->finish();
                         return load;
                     }).share();
    return pending;
}

} // namespace

std::shared_future<Load> openInBackground(const QString &path, std::function<void()> whenDone)
{
    std::optional<Pending> pending;
    {
        std::lock_guard lock(g_earlyMutex);
        if (g_early && g_earlyPath == path) {
            g_earlyPath.clear();
            pending = std::exchange(g_early, std::nullopt);
        }
    }
    if (!pending)
        pending = startLoad(path);
    pending->waiters->add(std::move(whenDone));
    return pending->future;
}

void startEarly(const QString &path)
{
    std::lock_guard lock(g_earlyMutex);
    g_earlyPath = path;
    g_early = startLoad(path);
}

QString defaultPath()
{
    // The kernel's view of the running program; argv[0] may be a relative name or a lie.
    QString folder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    if (folder.isEmpty() && QCoreApplication::instance())
        folder = QCoreApplication::applicationDirPath();
    const QString beside = QDir(folder).filePath(QString::fromLatin1(FileName));
    if (QFileInfo::exists(beside))
        return beside;
    const QString inLib = QDir::cleanPath(folder + QStringLiteral("/../lib/") + QString::fromLatin1(FileName));
    if (QFileInfo::exists(inLib))
        return inLib;
    return beside;
}

} // namespace EngineLibrary
