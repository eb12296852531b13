#include "FileTools.h"

#include <cerrno>
#include <sys/stat.h>

namespace FileTools {

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
