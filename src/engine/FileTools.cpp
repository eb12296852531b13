#include "FileTools.h"

#include "EngineLog.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *kindOf(mode_t mode)
{
    switch (mode & S_IFMT) {
    case S_IFIFO: return "a FIFO";
    case S_IFDIR: return "a folder";
    case S_IFSOCK: return "a socket";
    case S_IFCHR: return "a character device";
    case S_IFBLK: return "a block device";
    default: return "a special file";
    }
}

void refuse(const std::string &path, const char *what)
{
    EngineLog::line(1, "refused to read %s: it is %s, not a regular file", path.c_str(), what);
}

} // namespace

namespace FileTools {

bool readRegularFile(const std::string &path, size_t maxBytes, std::string &out)
{
    out.clear();
    struct stat st
    {
    };
    // Looked at first: a device or FIFO is best never opened.
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            refuse(path, "a dangling link");
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        refuse(path, kindOf(st.st_mode));
        return false;
    }
    // O_NONBLOCK: the name may have been swapped for a FIFO since.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENXIO)
            refuse(path, "a socket");
        return false;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        refuse(path, kindOf(st.st_mode));
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        ::close(fd);
        return false;
    }
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || out.size() + static_cast<size_t>(n) > maxBytes) {
            ::close(fd);
            if (n == 0)
                return true;
            out.clear();
            return false;
        }
        out.append(buffer, static_cast<size_t>(n));
    }
}

std::string parentFolder(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool makeFolders(const std::string &folder)
{
    struct stat st{};
    if (::stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const std::string parent = parentFolder(folder);
    if (parent != folder && parent != "." && parent != "/" && !makeFolders(parent))
        return false;
    return ::mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST;
}

bool makeParentFolder(const std::string &path)
{
    return makeFolders(parentFolder(path));
}

} // namespace FileTools
