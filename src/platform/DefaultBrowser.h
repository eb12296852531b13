#pragma once

#include <QString>
#include <QUrl>

// The user's default web browser, read from the mimeapps.list files the desktop keeps (the
// same files and order the desktop's own tools use) instead of running a settings script.
namespace DefaultBrowser {

// Desktop entry of the handler of web addresses (e.g. "firefox-esr.desktop"); empty when no
// list names one. Each list is read only up to a bounded size.
QString desktopEntry();

// Hands an address to the desktop's opener (xdg-open), which starts the default browser or
// the handler of a local file. Works without a GUI application, so core code may use it.
// Only an absolute address with a scheme is passed on.
bool openUrl(const QUrl &url);

} // namespace DefaultBrowser
