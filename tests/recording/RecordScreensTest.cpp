// Pictures of the Record page with recordings and of the recorder's window, for a look by eye:
// written to RECORD_SCREENS_DIR.
#include "downloads/DownloadedItem.h"
#include "library/ThumbnailServerWraper.h"
#include "platform/UserDefaults.h"
#include "recording/RecordViewCtrl.h"
#include "support/TestEnvironment.h"
#include "tools/capvane/CapvaneWindow.h"

#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A screen-like picture standing in for a recording's thumbnail.
QString thumbnail(const QString &folder, int n)
{
    QImage img(320, 180, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 320, 180);
    g.setColorAt(0, QColor::fromHsv((n * 70) % 360, 120, 220));
    g.setColorAt(1, QColor::fromHsv((n * 70 + 40) % 360, 160, 120));
    p.fillRect(img.rect(), g);
    p.fillRect(20, 20, 180, 110, QColor(255, 255, 255, 200));
    p.fillRect(20, 20, 180, 14, QColor(60, 60, 70));
    p.end();
    const QString path = QStringLiteral("%1/thumb%2.png").arg(folder).arg(n);
    img.save(path);
    return path;
}

void save(QWidget *w, const QString &name)
{
    QDir().mkpath(QStringLiteral(RECORD_SCREENS_DIR));
    const QString path = QStringLiteral(RECORD_SCREENS_DIR "/%1.png").arg(name);
    // Layout and paint requests are posted: let them run so the picture is the settled window.
    TestEnvironment::drainPostedEvents();
    ASSERT_TRUE(w->grab().save(path)) << path.toStdString();
    std::printf("picture: %s\n", qPrintable(path));
}

TEST(RecordScreens, PageWithRecordingsAndEmptyGuide)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Record"));
    QDir().mkpath(folder);
    UserDefaults::standard().setString(QStringLiteral("recordPath"), folder);
    ThumbnailServerWraper thumbnails(false);

    RecordViewCtrl empty(dir.filePath(QStringLiteral("empty.data")), &thumbnails);
    empty.view()->resize(900, 560);
    empty.view()->show();
    save(empty.view(), QStringLiteral("record-page-empty"));

    RecordViewCtrl page(dir.filePath(QStringLiteral("RecordData.data")), &thumbnails);
    page.setImporter([](const QStringList &) {});
    page.view()->resize(900, 560);
    page.view()->show();
    const struct
    {
        const char *name;
        qint64 seconds, bytes;
        int lines;
    } recordings[] = {
        {"2026-12-09 10-15-02.mp4", 185, 48'300'000, 1080},
        {"2026-12-10 08-41-37.mp4", 42, 9'800'000, 1080},
        {"2026-12-10 16-03-55.mp4", 3723, 612'000'000, 720},
        {"2026-12-11 09-00-12.mp4", 9, 2'100'000, 1080},
    };
    int n = 0;
    for (const auto &r : recordings) {
        const QString path = folder + QLatin1Char('/') + QString::fromLatin1(r.name);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        auto item = std::make_shared<DownloadedItem>();
        item->setFilePath(path);
        item->setTime(r.seconds);
        item->setVideoSize(r.bytes);
        item->setResolution(r.lines);
        item->setThumbnailPath(thumbnail(dir.path(), n++));
        page.mediaLoaderDidEndLoadFiles({item});
    }
    page.selectRows({1});
    EXPECT_EQ(page.displayList().size(), 4);
    save(page.view(), QStringLiteral("record-page"));
}

TEST(RecordScreens, RecorderWindow)
{
    CapvaneWindow w;
    w.show();
    save(&w, QStringLiteral("capvane-ready"));
    w.setState(CapvaneWindow::Recording);
    save(&w, QStringLiteral("capvane-recording"));
    EXPECT_FALSE(w.recButton()->isEnabled());
    EXPECT_TRUE(w.stopButton()->isEnabled());
    w.setState(CapvaneWindow::Failed, QStringLiteral("Screen recording needs an X11 session, and no X display is available."));
    save(&w, QStringLiteral("capvane-failed"));
}

} // namespace
