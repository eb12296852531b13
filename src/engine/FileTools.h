#pragma once

#include <cstddef>
#include <string>

namespace FileTools {

// Creates the folder that will hold path, with intermediate folders.
bool makeParentFolder(const std::string &path);
bool makeFolders(const std::string &folder);
std::string parentFolder(const std::string &path);

// The whole file at path into out, at most maxBytes long. Only a regular file (or a link to one)
// is read: a FIFO, device, socket or folder planted under a browser's or our own file name would
// block or never end, so it is refused (logged with the path and what it is) without blocking.
bool readRegularFile(const std::string &path, size_t maxBytes, std::string &out);

} // namespace FileTools
