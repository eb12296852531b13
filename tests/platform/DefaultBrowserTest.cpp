#include "platform/DefaultBrowser.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Sets an environment variable for one scope.
struct EnvScope
{
    QByteArray name, old;
    bool had;
    EnvScope(const char *n, const QByteArray &value) : name(n), old(qgetenv(n)), had(qEnvironmentVariableIsSet(n))
    {
        qputenv(n, value);
    }
    ~EnvScope()
    {
        if (had)
            qputenv(name.constData(), old);
        else
            qunsetenv(name.constData());
    }
};

} // namespace

TEST(DefaultBrowser, ReadsTheDesktopsListsInTheirOrder)
{
    struct Case
    {
        const char *name;
        QMap<QString, QByteArray> files; // relative to the private home
        QByteArray desktop;              // XDG_CURRENT_DESKTOP
        QString entry;
    } cases[] = {
        {"no list at all", {}, "", QString()},
        {"user list names firefox",
         {{QStringLiteral("config/mimeapps.list"),
           "[Added Associations]\nx-scheme-handler/http=chromium.desktop;\n\n[Default Applications]\n"
           "text/plain=gedit.desktop\nx-scheme-handler/http=firefox-esr.desktop;chromium.desktop;\n"}},
         "",
         QStringLiteral("firefox-esr.desktop")},
        {"the desktop's own list comes first",
         {{QStringLiteral("config/gnome-mimeapps.list"), "[Default Applications]\r\nx-scheme-handler/http=google-chrome.desktop\r\n"},
          {QStringLiteral("config/mimeapps.list"), "[Default Applications]\nx-scheme-handler/http=firefox.desktop\n"}},
         "ubuntu:GNOME",
         QStringLiteral("google-chrome.desktop")},
        {"user configuration before system data",
         {{QStringLiteral("config/mimeapps.list"), "[Default Applications]\nx-scheme-handler/https=org.chromium.Chromium.desktop\n"},
          {QStringLiteral("data/applications/mimeapps.list"), "[Default Applications]\nx-scheme-handler/http=firefox.desktop\n"}},
         "",
         QStringLiteral("org.chromium.Chromium.desktop")},
        {"data list when configuration has none",
         {{QStringLiteral("config/mimeapps.list"), "[Default Applications]\nimage/png=viewer.desktop\n"},
          {QStringLiteral("data/applications/mimeapps.list"), "[Default Applications]\ntext/html=epiphany.desktop\n"}},
         "",
         QStringLiteral("epiphany.desktop")},
        {"empty values and comments are skipped",
         {{QStringLiteral("config/mimeapps.list"),
           "# x-scheme-handler/http=chromium.desktop\n[Default Applications]\nx-scheme-handler/http=;\n"
           "x-scheme-handler/https=firefox.desktop\n"}},
         "",
         QStringLiteral("firefox.desktop")},
        {"garbage gives nothing",
         {{QStringLiteral("config/mimeapps.list"), QByteArray("\0\xff\xfe[Default Applications\n=x\n", 30)}},
         "",
         QString()},
        {"only the first part of a huge list is read",
         {{QStringLiteral("config/mimeapps.list"),
           "[Default Applications]\n" + QByteArray(300 * 1024, '#') + "\nx-scheme-handler/http=firefox.desktop\n"}},
         "",
         QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/browser-XXXXXX"));
        EnvScope config("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
        EnvScope configDirs("XDG_CONFIG_DIRS", (dir.path() + QStringLiteral("/etc")).toLocal8Bit());
        EnvScope data("XDG_DATA_HOME", (dir.path() + QStringLiteral("/data")).toLocal8Bit());
        EnvScope dataDirs("XDG_DATA_DIRS", (dir.path() + QStringLiteral("/share")).toLocal8Bit());
        EnvScope desktop("XDG_CURRENT_DESKTOP", c.desktop);
        for (auto it = c.files.cbegin(); it != c.files.cend(); ++it)
            ASSERT_TRUE(TestEnvironment::writeFile(dir.filePath(it.key()), it.value()));
        EXPECT_EQ(DefaultBrowser::desktopEntry(), c.entry);
    }
}

TEST(DefaultBrowser, OpensOnlyAbsoluteAddressesThroughTheDesktopsOpener)
{
    // A stand-in opener on PATH records what it was given, one line per call.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString log = dir.filePath(QStringLiteral("opened.txt"));
    const QString opener = dir.filePath(QStringLiteral("bin/xdg-open"));
    ASSERT_TRUE(TestEnvironment::writeFile(opener, QByteArray("#!/bin/sh\nprintf '%s\\n' \"$*\" >> '") + log.toLocal8Bit() + "'\n"));
    ASSERT_TRUE(QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EnvScope path("PATH", (dir.filePath(QStringLiteral("bin")) + u':' + qEnvironmentVariable("PATH")).toLocal8Bit());

    const struct
    {
        QString address;
        bool opened;
    } cases[] = {
        {QStringLiteral("no-scheme/page.html"), false},
        {QStringLiteral("--help"), false},
        {QString(), false},
        {QStringLiteral("https://example.org/a b?q=1"), true},
        {QStringLiteral("file:///tmp/Chrome Guide.html"), true},
    };
    QStringList expected;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        EXPECT_EQ(DefaultBrowser::openUrl(QUrl(c.address)), c.opened);
        if (c.opened)
            expected << QUrl(c.address).toString(QUrl::FullyEncoded);
    }
    const auto lines = [&] {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts) : QStringList();
    };
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return lines().size() >= expected.size(); }, 10000));
    // The openers run on their own, so the order of their lines is not fixed.
    QStringList got = lines();
    got.sort();
    expected.sort();
    EXPECT_EQ(got, expected);
}
