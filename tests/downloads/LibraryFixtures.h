#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

// Direct access to a library file, as another program (or an older build) would have it.
namespace LibraryFixtures {

// A new empty folder under the test home.
QString freshFolder(const QString &name);
void writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// Runs statements on the file through a connection of its own; false with a message on failure.
bool execSql(const QString &dbPath, const QStringList &statements, QString *error = nullptr);
// First column of every row of a query.
QVariantList queryColumn(const QString &dbPath, const QString &sql);
// Column names of a table in order.
QStringList columnsOf(const QString &dbPath, const QString &table);

} // namespace LibraryFixtures
