#pragma once

#include <string>

namespace FileTools {

// Creates the folder that will hold path, with intermediate folders.
bool makeParentFolder(const std::string &path);
bool makeFolders(const std::string &folder);
std::string parentFolder(const std::string &path);

} // namespace FileTools
