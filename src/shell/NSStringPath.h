#pragma once

#include <QString>

// Path helpers on strings.
namespace NSStringPath {

// The user's folders that callers ask for by kind.
enum class SearchPathDirectory {
    ApplicationSupport,
    Movies,
    Downloads,
    Documents,
    Desktop,
    Music,
    Pictures,
    Caches,
};

// The user's folder of that kind (home-relative, "~" expanded).
QString pathDirectory(SearchPathDirectory directory);
// The folder with name appended; a name without extension is a folder and is created.
QString suffixAppendToDirectory(const QString &name, SearchPathDirectory directory);

// A path at which nothing exists: path itself, else "name<n>.ext" for n = 1..9999 in the same
// folder. Empty when every candidate is taken, so a caller can never overwrite a file.
QString checkSameNamePath(const QString &path);

// Components of a path the way the rest of the program cuts them: the extension is what follows the
// last "." of the last component, unless that "." starts the component (".profile" has none).
QString lastPathComponent(const QString &path);
QString pathExtension(const QString &path);
QString deletingLastPathComponent(const QString &path);
QString deletingPathExtension(const QString &path);
// folder + "/" + name; just name when folder is empty (never the root by accident).
QString appendingPathComponent(const QString &folder, const QString &name);
// name + "." + extension; no trailing "." when extension is empty.
QString appendingPathExtension(const QString &name, const QString &extension);
// True when anything is at path, a dangling symbolic link included.
bool pathTaken(const QString &path);

} // namespace NSStringPath
