#pragma once

#include <QString>

// File names for moving finished files into place.
namespace LocalFileNames {

// The path itself when nothing is there, else the first free "base(n).ext" in its folder;
// a trailing "(digits)" of the base is replaced rather than stacked.
QString unusedFileName(const QString &path);

} // namespace LocalFileNames
