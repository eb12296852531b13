#pragma once

#include <QString>

// The user's default web browser, read from the mimeapps.list files the desktop keeps (the
// same files and order the desktop's own tools use) instead of running a settings script.
namespace DefaultBrowser {

// Desktop entry of the handler of web addresses (e.g. "firefox-esr.desktop"); empty when no
// list names one. Each list is read only up to a bounded size.
QString desktopEntry();

} // namespace DefaultBrowser
