// The engine reads the browsers' cookie stores and its own control files only when they are
// regular files: anything else planted under the name is refused at once and logged.
#include "engine/BrowserCookies.h"
#include "engine/EngineLog.h"
#include "engine/FileTools.h"
#include "support/SpecialFiles.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>

#include <string>

namespace {

QByteArray engineLog(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(EngineFileTools, SpecialFilesAreRefusedAtOnceWithALogLine)
{
    const QString logPath = TestEnvironment::home() + QStringLiteral("/engine.log");
    ASSERT_TRUE(EngineLog::open(logPath.toStdString()));
    const QString profiles = TestEnvironment::home() + QStringLiteral("/.mozilla/firefox/profiles.ini");
    for (const SpecialFiles::Case &c : SpecialFiles::all()) {
        SCOPED_TRACE(c.name);
        const QString path = TestEnvironment::home() + QStringLiteral("/engine/control.cvctl");
        ASSERT_TRUE(SpecialFiles::plant(c.kind, path));
        ASSERT_TRUE(SpecialFiles::plant(c.kind, profiles));
        bool read = true;
        std::string data = "left over";
        std::string cookies = "unset";
        ASSERT_TRUE(SpecialFiles::returnsPromptly(
            [&] {
                read = FileTools::readRegularFile(path.toStdString(), 1 << 20, data);
                cookies = BrowserCookies::forUrl("firefox", "https://example.test/");
            },
            {path, profiles}));
        EXPECT_FALSE(read);
        EXPECT_TRUE(data.empty());
        EXPECT_EQ(cookies, "");
        const QByteArray log = engineLog(logPath);
        for (const QString &planted : {path, profiles})
            EXPECT_TRUE(log.contains("refused to read " + planted.toUtf8() + ": it is " + c.what)) << log.toStdString();
    }
    EngineLog::close();
}

TEST(EngineFileTools, RegularFilesAreReadWithinTheirCap)
{
    const QString path = TestEnvironment::home() + QStringLiteral("/engine/plain.txt");
    ASSERT_TRUE(TestEnvironment::writeFile(path, "twelve bytes"));
    std::string data;
    EXPECT_TRUE(FileTools::readRegularFile(path.toStdString(), 12, data));
    EXPECT_EQ(data, "twelve bytes");
    EXPECT_FALSE(FileTools::readRegularFile(path.toStdString(), 11, data));
    EXPECT_TRUE(data.empty());
    EXPECT_FALSE(FileTools::readRegularFile((path + QStringLiteral(".none")).toStdString(), 12, data));
}

} // namespace
