#pragma once

#include <QString>
#include <QUrl>

// Link labels open web and mail addresses only: a label's text or address may come from a
// page or a file, and must never start a program or open a local file.
namespace LinkOpening {
bool isAllowed(const QUrl &url);
// Opens the address through the desktop when allowed; false (and a log line) otherwise.
bool open(const QString &address);
} // namespace LinkOpening
