#include "ExtensionFixtures.h"

#include "extension/BrowserExtensionManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <archive.h>
#include <archive_entry.h>

bool ExtensionFixtures::writeZip(const QString &path, const QList<QPair<QString, QByteArray>> &files)
{
    archive *a = archive_write_new();
    archive_write_set_format_zip(a);
    if (archive_write_open_filename(a, QFile::encodeName(path).constData()) != ARCHIVE_OK) {
        archive_write_free(a);
        return false;
    }
    for (const auto &f : files) {
        archive_entry *e = archive_entry_new();
        archive_entry_set_pathname(e, f.first.toUtf8().constData());
        archive_entry_set_size(e, f.second.size());
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_write_header(a, e);
        archive_write_data(a, f.second.constData(), size_t(f.second.size()));
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
    return true;
}

QByteArray ExtensionFixtures::readZipEntry(const QString &path, const QString &name)
{
    archive *a = archive_read_new();
    archive_read_support_format_zip(a);
    QByteArray data;
    if (archive_read_open_filename(a, QFile::encodeName(path).constData(), 16384) == ARCHIVE_OK) {
        archive_entry *e = nullptr;
        while (archive_read_next_header(a, &e) == ARCHIVE_OK) {
            if (QString::fromUtf8(archive_entry_pathname(e)) != name)
                continue;
            char chunk[16384];
            la_ssize_t n;
            while ((n = archive_read_data(a, chunk, sizeof chunk)) > 0)
                data.append(chunk, n);
            break;
        }
    }
    archive_read_free(a);
    return data;
}

void ExtensionFixtures::writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(data);
}

QByteArray ExtensionFixtures::readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList ExtensionFixtures::makeFirefoxProfiles(const QStringList &relativePaths)
{
    const QString base = BrowserExtensionManager::firefoxFolder();
    QByteArray ini = "[General]\nStartWithLastProfile=1\nVersion=2\n\n";
    QStringList folders;
    for (int i = 0; i < relativePaths.size(); ++i) {
        ini += "[Profile" + QByteArray::number(i) + "]\nName=p" + QByteArray::number(i) + "\nIsRelative=1\nPath="
               + relativePaths[i].toUtf8() + "\n\n";
        folders << base + QLatin1Char('/') + relativePaths[i];
        QDir().mkpath(folders.last() + QStringLiteral("/extensions"));
    }
    ini += "[Install4F96D1932A9F858E]\nDefault=" + relativePaths.value(0).toUtf8() + "\nLocked=1\n";
    writeFile(base + QStringLiteral("/profiles.ini"), ini);
    return folders;
}

QString ExtensionFixtures::chromeProfile()
{
    return BrowserExtensionManager::chromeProfileFolders().first();
}

QProcess *ExtensionFixtures::startFakeBrowser(const QString &name, const QString &home)
{
    const QString dir = QDir::homePath() + QStringLiteral("/fake-bin");
    QDir().mkpath(dir);
    const QString program = dir + QLatin1Char('/') + name;
    QFile::remove(program);
    QFile::copy(QStringLiteral("/bin/sleep"), program);
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    auto *p = new QProcess;
    if (!home.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        p->setProcessEnvironment(env);
    }
    p->start(program, {QStringLiteral("60")});
    p->waitForStarted();
    return p;
}
