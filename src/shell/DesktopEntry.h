#pragma once

#include <QString>

// Registers the program with the desktop: "FennixPro.desktop" in the user's applications folder
// (Exec pointing at this program) and the "pelqa" scheme handler in the user's mimeapps.list,
// so the browser extension's addresses reach the application.
class DesktopEntry
{
public:
    static constexpr const char *FileName = "FennixPro.desktop";
    static constexpr const char *SchemeType = "x-scheme-handler/pelqa";

    // The entry's text for a program path (quoted as the desktop entry rules ask).
    static QString entryText(const QString &programPath);
    static QString entryPath();
    static QString mimeAppsPath();
    // Writes both files (atomically); false with *error when one could not be written.
    static bool install(const QString &programPath, QString *error = nullptr);
    // mimeapps.list text with the scheme's default set to the entry, other lines kept.
    static QString withSchemeDefault(const QString &mimeApps);
};
