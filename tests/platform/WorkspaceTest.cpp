#include "platform/Trash.h"
#include "platform/Workspace.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>


namespace {
QString makeFile(const QString &rel, const QByteArray &content = "media")
{
    const QString path = TestEnvironment::home() + QLatin1Char('/') + rel;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}
} // namespace

TEST(Workspace, MoveToTrashMovesTheFile)
{
    const QString path = makeFile(QStringLiteral("Movies/clip.mp4"));
    QString trashed, error;
    ASSERT_TRUE(Trash::moveToTrash(path, &trashed, &error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_FALSE(trashed.isEmpty());
    QFile f(trashed);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("media"));
}

TEST(Workspace, FailedMoveToTrashIsReportedAndNeverDeletes)
{
    QString error;
    EXPECT_FALSE(Trash::moveToTrash(TestEnvironment::home() + QStringLiteral("/nothing-here"), nullptr, &error));
    EXPECT_FALSE(error.isEmpty());

    // A Trash that cannot be made (its parent is a plain file, which stops root too).
    const QString path = makeFile(QStringLiteral("Movies/keep.mp4"));
    const QString blocker = makeFile(QStringLiteral("not-a-folder"));
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", (blocker + QStringLiteral("/share")).toLocal8Bit());
    error.clear();
    const bool moved = Trash::moveToTrash(path, nullptr, &error);
    qputenv("XDG_DATA_HOME", saved);
    EXPECT_FALSE(moved);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFile::exists(path));
}

TEST(Workspace, OpenAndRevealGoThroughTheDesktop)
{
    QStringList actions;
    Workspace::setHookForTesting([&](const QString &action, const QStringList &targets) {
        actions.append(action + QLatin1Char(' ') + targets.join(QLatin1Char(',')));
        return true;
    });
    const QString path = makeFile(QStringLiteral("Movies/a b.mp4"));
    EXPECT_TRUE(Workspace::openUrl(QUrl(QStringLiteral("https://example.invalid/x"))));
    EXPECT_FALSE(Workspace::openUrl(QUrl(QStringLiteral("no scheme"))));
    EXPECT_TRUE(Workspace::revealInFileManager({path, TestEnvironment::home() + QStringLiteral("/missing")}));
    EXPECT_FALSE(Workspace::revealInFileManager({TestEnvironment::home() + QStringLiteral("/missing")}));
    EXPECT_FALSE(Workspace::openFile(TestEnvironment::home() + QStringLiteral("/missing")));
    Workspace::setHookForTesting(nullptr);
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0], QStringLiteral("open https://example.invalid/x"));
    EXPECT_EQ(actions[1], QStringLiteral("reveal ") + QUrl::fromLocalFile(path).toString());
}
