#include "LibraryFixtures.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <sqlite3.h>

namespace LibraryFixtures {

QString freshFolder(const QString &name)
{
    const QString path = TestEnvironment::home() + QStringLiteral("/") + name + QStringLiteral("-")
        + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    QDir().mkpath(path);
    return path;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool execSql(const QString &dbPath, const QStringList &statements, QString *error)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(dbPath).constData(), &db) == SQLITE_OK;
    sqlite3_busy_timeout(db, 5000);
    for (const QString &sql : statements) {
        if (!ok)
            break;
        char *message = nullptr;
        ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK;
        if (!ok && error)
            *error = QString::fromUtf8(message ? message : sqlite3_errmsg(db)) + QStringLiteral(" in ") + sql;
        sqlite3_free(message);
    }
    sqlite3_close(db);
    return ok;
}

QVariantList queryColumn(const QString &dbPath, const QString &sql)
{
    QVariantList out;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(dbPath).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK) {
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                switch (sqlite3_column_type(stmt, 0)) {
                case SQLITE_INTEGER:
                    out.append(qint64(sqlite3_column_int64(stmt, 0)));
                    break;
                case SQLITE_NULL:
                    out.append(QVariant());
                    break;
                default:
                    out.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0))));
                }
            }
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return out;
}

QStringList columnsOf(const QString &dbPath, const QString &table)
{
    QStringList names;
    for (const QVariant &v : queryColumn(dbPath, QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table)))
        names.append(v.toString());
    return names;
}

} // namespace LibraryFixtures
