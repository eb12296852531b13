#pragma once

#include <QString>

#include <functional>

// Giving a library item's file a new name from the row's title field. The extension never
// changes; the name is checked before anything on disk moves.
namespace LibraryRename {

// Longest name kept from the title field (characters, without the extension).
constexpr int MaxNameLength = 200;

// NO for an empty or blank text and for any of ? \ * | " < > : /.
bool isRightFileName(const QString &text);
// Texts longer than MaxNameLength are cut to their first MaxNameLength characters.
QString rightFileNameLength(const QString &text);

enum class Outcome {
    Renamed,     // newPath holds the file's new place
    Unchanged,   // the same name again: nothing to do
    Blank,       // nothing typed: restore the row silently
    InvalidName, // a forbidden character: "Invalid filename"
    NameTaken,   // the library or the folder already has that name
    MoveFailed,  // the file could not be moved; it keeps its old name (error says why)
};

struct Result
{
    Outcome outcome = Outcome::Unchanged;
    QString newPath; // only for Renamed
    QString error;
};

// One file move; false leaves the file where it was.
using Mover = std::function<bool(const QString &from, const QString &to)>;
// Answers whether a library row already uses the path.
using LibraryLookup = std::function<bool(const QString &path)>;

// The path the text names: the old file's folder, the text (cut to MaxNameLength) and the
// old extension.
QString newPathFor(const QString &oldPath, const QString &suffix, const QString &text);

// Checks the text and moves the file. A change of letter case alone goes through a
// temporary name in the same folder; when the second step fails the file is moved back, so
// it never stays under the temporary name. mover defaults to a plain rename.
Result renameFile(const QString &oldPath, const QString &suffix, const QString &text,
                  const LibraryLookup &inLibrary, const Mover &mover = {});

// The user's message for an outcome that needs one (empty for the silent ones).
QString warningText(const Result &result);
QString warningTitle(const Result &result);

} // namespace LibraryRename
