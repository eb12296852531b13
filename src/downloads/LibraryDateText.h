#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// The "AddDate" text of the library: "2024-01-15 10:30:00 +0000" (UTC, with its offset),
// written and read with this one fixed format so reading never depends on the locale.
namespace LibraryDateText {

QString format(const QDateTime &date);
// A null QDateTime when the text is not in that form.
QDateTime parse(QByteArrayView utf8);
inline QDateTime parse(const QString &text) { return parse(QByteArrayView(text.toUtf8())); }

} // namespace LibraryDateText
