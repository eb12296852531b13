#include "recording/RecordingFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void touch(const QString &path, const QByteArray &content = "x")
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the page takes for a take the program did not finish: the recorder's own names and the
// names left in progress, plain and not empty, not listed yet. Anything else in the folder is
// the user's.
TEST(RecordingFiles, UnlistedTakesAreTheRecordersOwnOrLeftInProgress)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QString recorders = folder + QStringLiteral("/") + RecordingFiles::recorderFileName(QDateTime(QDate(2026, 12, 11), QTime(10, 15, 0, 7)));
    EXPECT_TRUE(recorders.endsWith(QLatin1String("/Capvane 20261211-101500-007.mp4")));
    const QString listed = folder + QStringLiteral("/Capvane 20261211-090000-000.mp4");
    const QString inProgress = folder + QStringLiteral("/2026-12-11 10-17-00.mp4");
    const QString usersOwn = folder + QStringLiteral("/2026-12-01 08-00-00.mp4");
    const QString empty = folder + QStringLiteral("/Capvane 20261211-110000-000.mp4");
    const QString link = folder + QStringLiteral("/Capvane 20261211-120000-000.mp4");
    for (const QString &path : {recorders, listed, inProgress, usersOwn, folder + QStringLiteral("/Capvane 2026.mp4"),
                                folder + QStringLiteral("/Capvane 20261211-101500-007.mp4.part")})
        touch(path);
    touch(empty, QByteArray());
    ASSERT_TRUE(QFile::link(recorders, link));
    // Oldest first.
    QFile older(recorders);
    ASSERT_TRUE(older.open(QIODevice::ReadWrite));
    ASSERT_TRUE(older.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    older.close();

    EXPECT_EQ(RecordingFiles::unlistedTakes(folder, {listed}, {inProgress}), (QStringList{recorders, inProgress}));
    EXPECT_EQ(RecordingFiles::unlistedTakes(folder, {listed, recorders, inProgress}, {inProgress}), QStringList());
    EXPECT_TRUE(RecordingFiles::unlistedTakes(folder + QStringLiteral("/missing"), {}, {}).isEmpty());
}

TEST(RecordingFiles, OnlyPlainFilesInsideTheFolderAreTrusted)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Record"));
    QDir().mkpath(folder + QStringLiteral("/sub"));
    QDir().mkpath(dir.filePath(QStringLiteral("Record-other")));
    touch(folder + QStringLiteral("/a.mp4"));
    touch(folder + QStringLiteral("/sub/b.mp4"));
    touch(dir.filePath(QStringLiteral("Record-other/c.mp4")));
    touch(dir.filePath(QStringLiteral("secret")));
    QFile::link(dir.filePath(QStringLiteral("secret")), folder + QStringLiteral("/link.mp4"));
    QFile::link(dir.filePath(QStringLiteral("Record-other")), folder + QStringLiteral("/linked-folder"));

    const struct
    {
        QString path;
        bool trusted;
    } cases[] = {
        {folder + QStringLiteral("/a.mp4"), true},
        {folder + QStringLiteral("/sub/b.mp4"), true},
        {folder + QStringLiteral("/link.mp4"), false},                   // a link out of the folder
        {folder + QStringLiteral("/linked-folder/c.mp4"), false},        // through a linked folder
        {folder + QStringLiteral("/../Record-other/c.mp4"), false},      // a sibling sharing the prefix
        {dir.filePath(QStringLiteral("Record-other/c.mp4")), false},
        {folder + QStringLiteral("/missing.mp4"), false},
        {folder, false},                                                 // the folder itself
        {QStringLiteral("a.mp4"), false},                                // relative
        {QString(), false},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_EQ(RecordingFiles::isTrustedRecording(c.path, folder, &error), c.trusted) << c.path.toStdString();
        EXPECT_EQ(error.isEmpty(), c.trusted) << c.path.toStdString();
    }
}

TEST(RecordingFiles, DateTimeNameNeverOverwrites)
{
    QTemporaryDir dir;
    const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
    const QString first = dir.filePath(QStringLiteral("2026-03-04 05-06-07.mp4"));

    touch(dir.filePath(QStringLiteral("one.mp4")), "one");
    EXPECT_EQ(RecordingFiles::moveToDateTimeName(dir.filePath(QStringLiteral("one.mp4")), when), first);

    // A second recording in the same second, and a third, get their own names.
    touch(dir.filePath(QStringLiteral("two.mp4")), "two");
    touch(dir.filePath(QStringLiteral("three.mp4")), "three");
    EXPECT_EQ(RecordingFiles::moveToDateTimeName(dir.filePath(QStringLiteral("two.mp4")), when),
              dir.filePath(QStringLiteral("2026-03-04 05-06-07(1).mp4")));
    EXPECT_EQ(RecordingFiles::moveToDateTimeName(dir.filePath(QStringLiteral("three.mp4")), when),
              dir.filePath(QStringLiteral("2026-03-04 05-06-07(2).mp4")));
    EXPECT_EQ(contentOf(first), "one");
    EXPECT_EQ(contentOf(dir.filePath(QStringLiteral("2026-03-04 05-06-07(1).mp4"))), "two");
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("two.mp4"))));

    // No rename possible: the file keeps its name and the reason is given.
    QString error;
    const QString gone = dir.filePath(QStringLiteral("gone.mp4"));
    EXPECT_EQ(RecordingFiles::moveToDateTimeName(gone, when, &error), gone);
    EXPECT_FALSE(error.isEmpty());
}

TEST(RecordingFiles, ReservedNamesAreEmptyNewFilesBesideTakenOnes)
{
    QTemporaryDir dir;
    const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
    const QString first = dir.filePath(QStringLiteral("2026-03-04 05-06-07.mp4"));
    touch(first, "an earlier recording");
    // A dangling link on the next name is taken too: nothing is made through it.
    const QString outside = dir.filePath(QStringLiteral("outside.mp4"));
    ASSERT_TRUE(QFile::link(outside, dir.filePath(QStringLiteral("2026-03-04 05-06-07(1).mp4"))));

    const QString reserved = RecordingFiles::reserveDateTimeName(dir.path(), when);
    EXPECT_EQ(reserved, dir.filePath(QStringLiteral("2026-03-04 05-06-07(2).mp4")));
    EXPECT_EQ(QFileInfo(reserved).size(), 0);
    EXPECT_EQ(contentOf(first), "an earlier recording");
    EXPECT_FALSE(QFile::exists(outside));
    EXPECT_EQ(RecordingFiles::reserveDateTimeName(dir.path(), when), dir.filePath(QStringLiteral("2026-03-04 05-06-07(3).mp4")));

    QString error;
    EXPECT_TRUE(RecordingFiles::reserveDateTimeName(dir.filePath(QStringLiteral("missing")), when, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(RecordingFiles, NoReplaceRenameRefusesAnExistingTarget)
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("a")), "a");
    touch(dir.filePath(QStringLiteral("b")), "b");
    EXPECT_FALSE(RecordingFiles::renameNoReplace(dir.filePath(QStringLiteral("a")), dir.filePath(QStringLiteral("b"))));
    EXPECT_EQ(contentOf(dir.filePath(QStringLiteral("b"))), "b");
    EXPECT_TRUE(RecordingFiles::renameNoReplace(dir.filePath(QStringLiteral("a")), dir.filePath(QStringLiteral("c"))));
    EXPECT_EQ(contentOf(dir.filePath(QStringLiteral("c"))), "a");
}

TEST(RecordingFiles, SaysPlainlyWhenTheScreenCannotBeCaptured)
{
    const QByteArray session = qgetenv("XDG_SESSION_TYPE");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("XDG_SESSION_TYPE", "wayland");
    qputenv("DISPLAY", ":0");
    EXPECT_TRUE(RecordingFiles::screenCaptureUnavailableReason().contains(QLatin1String("X11 session")));
    qputenv("XDG_SESSION_TYPE", "x11");
    EXPECT_TRUE(RecordingFiles::screenCaptureUnavailableReason().isEmpty());
    qunsetenv("DISPLAY");
    EXPECT_FALSE(RecordingFiles::screenCaptureUnavailableReason().isEmpty());
    auto restore = [](const char *name, const QByteArray &value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    restore("XDG_SESSION_TYPE", session);
    restore("WAYLAND_DISPLAY", wayland);
    restore("DISPLAY", display);
}

} // namespace
