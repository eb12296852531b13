#pragma once

#include <QSaveFile>

// A QSaveFile for the program's own files that replaces a link standing at its name instead of
// writing where the link points (QSaveFile follows links): a link planted at one of our files,
// to /dev/zero, another user's file or, run as root, a system file, must never redirect the
// write. Files the user picked (a save dialog) keep plain QSaveFile.
class SafeSaveFile : public QSaveFile
{
    Q_OBJECT
public:
    using QSaveFile::QSaveFile;

    bool open(OpenMode mode) override;
};
