#include "library/LibraryRename.h"

#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <sys/stat.h>

namespace {

const QString ForbiddenCharacters = QStringLiteral("*|:\"<>?\\/");

bool plainRename(const QString &from, const QString &to)
{
    return QFile::rename(from, to);
}

// Two names for one file (a case-insensitive volume, or the same inode).
bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo fa(a);
    const QFileInfo fb(b);
    if (!fa.exists() || !fb.exists())
        return false;
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

namespace LibraryRename {

bool isRightFileName(const QString &text)
{
    if (text.isNull())
        return false;
    QString withoutSpaces = text;
    withoutSpaces.remove(QLatin1Char(' '));
    if (withoutSpaces.isEmpty())
        return false;
    for (QChar c : text)
        if (ForbiddenCharacters.contains(c))
            return false;
    return true;
}

QString rightFileNameLength(const QString &text)
{
    return text.size() > MaxNameLength ? text.left(MaxNameLength) : text;
}

QString newPathFor(const QString &oldPath, const QString &suffix, const QString &text)
{
    const QString folder = QFileInfo(oldPath).path();
    QString path = folder + QLatin1Char('/') + rightFileNameLength(text);
    if (!suffix.isEmpty())
        path += QLatin1Char('.') + suffix;
    return path;
}

Result renameFile(const QString &oldPath, const QString &suffix, const QString &text,
                  const LibraryLookup &inLibrary, const Mover &moverIn)
{
    const Mover move = moverIn ? moverIn : Mover(plainRename);
    Result r;
    const QString name = rightFileNameLength(text);
    if (!isRightFileName(name)) {
        QString blank = name;
        blank.remove(QLatin1Char(' '));
        r.outcome = blank.isEmpty() ? Outcome::Blank : Outcome::InvalidName;
        return r;
    }
    const QString newPath = newPathFor(oldPath, suffix, name);
    if (newPath == oldPath) {
        r.outcome = Outcome::Unchanged;
        return r;
    }
    if (inLibrary && inLibrary(newPath)) {
        r.outcome = Outcome::NameTaken;
        return r;
    }
    const bool caseOnly = newPath.compare(oldPath, Qt::CaseInsensitive) == 0;
    // On a case-sensitive volume a case-only twin may be another file: that name is taken.
    if (QFileInfo::exists(newPath) && !(caseOnly && sameFile(oldPath, newPath))) {
        r.outcome = Outcome::NameTaken;
        return r;
    }

    if (!caseOnly) {
        if (!move(oldPath, newPath)) {
            r.outcome = Outcome::MoveFailed;
            r.error = QStringLiteral("cannot move %1 to %2").arg(oldPath, newPath);
            ScribletLogError(QStringLiteral("rename failed: %1").arg(r.error));
            return r;
        }
        r.outcome = Outcome::Renamed;
        r.newPath = newPath;
        return r;
    }

    // Letter case only: a case-insensitive volume would see no change, so step aside first.
    const QString temporary = QFileInfo(oldPath).path() + QLatin1Char('/')
                              + QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!move(oldPath, temporary)) {
        r.outcome = Outcome::MoveFailed;
        r.error = QStringLiteral("cannot move %1 aside").arg(oldPath);
        ScribletLogError(QStringLiteral("rename failed: %1").arg(r.error));
        return r;
    }
    if (!move(temporary, newPath)) {
        r.outcome = Outcome::MoveFailed;
        r.error = QStringLiteral("cannot move %1 to %2").arg(oldPath, newPath);
        // Back to the old name: the file must never stay under the temporary one.
        if (!move(temporary, oldPath)) {
            r.error += QStringLiteral("; the file is left at %1").arg(temporary);
        }
        ScribletLogError(QStringLiteral("rename failed: %1").arg(r.error));
        return r;
    }
    r.outcome = Outcome::Renamed;
    r.newPath = newPath;
    return r;
}

QString warningText(const Result &result)
{
    switch (result.outcome) {
    case Outcome::InvalidName:
        return MainBundle::localizedString(
            "A file name cannot contain any of the following characters:? \\ * | \u201c < > : /");
    case Outcome::NameTaken:
        return MainBundle::localizedString("The file with the name you specified already exists.");
    case Outcome::MoveFailed:
        return MainBundle::localizedString("The file could not be renamed.");
    default:
        return {};
    }
}

QString warningTitle(const Result &result)
{
    switch (result.outcome) {
    case Outcome::InvalidName:
        return MainBundle::localizedString("Invalid filename");
    case Outcome::NameTaken:
        return MainBundle::localizedString("Please choose a different name.");
    case Outcome::MoveFailed:
        return MainBundle::localizedString("Rename failed");
    default:
        return {};
    }
}

} // namespace LibraryRename
