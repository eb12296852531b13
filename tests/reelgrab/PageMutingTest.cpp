// The helper's page-loading road never makes a sound: a page that starts a sound by itself
// plays it (the sniffer must see the media requests of players that start on their own) with
// the page muted, may open no second, unmuted page, and is silent once the sniff stops.
#include "reelgrab/QVWebPageSniffer.h"

#include "LoopbackServer.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QWebEnginePage>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const bool sandboxOff = qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

// One second of a 440 Hz tone, 16-bit mono at 8 kHz.
std::string toneWav()
{
    const int rate = 8000, samples = rate;
    QByteArray pcm(samples * 2, Qt::Uninitialized);
    for (int i = 0; i < samples; ++i)
        qToLittleEndian<qint16>(qint16(12000 * std::sin(2 * M_PI * 440 * i / rate)), pcm.data() + 2 * i);
    QByteArray wav("RIFF");
    auto u32 = [&wav](quint32 v) { char b[4]; qToLittleEndian(v, b); wav.append(b, 4); };
    auto u16 = [&wav](quint16 v) { char b[2]; qToLittleEndian(v, b); wav.append(b, 2); };
    u32(36 + pcm.size());
    wav.append("WAVEfmt ");
    u32(16); u16(1); u16(1); u32(rate); u32(rate * 2); u16(2); u16(16);
    wav.append("data");
    u32(pcm.size());
    wav.append(pcm);
    return wav.toStdString();
}

QVariant evaluate(QWebEnginePage *page, const QString &script)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    TestEnvironment::waitFor([&] { return done; }, 10000);
    return result;
}

} // namespace

TEST(PageMuting, APageThatPlaysBySelfIsMutedOpensNoOtherPageAndStopsWithTheSniff)
{
    LoopbackServer server;
    LoopbackServer::Resource tone;
    tone.body = toneWav();
    tone.contentType = "audio/wav";
    server.add("/tone.wav", tone);
    LoopbackServer::Resource page;
    page.contentType = "text/html; charset=utf-8";
    page.body = "<html><head><title>Tone</title></head><body>"
                "<audio id=a autoplay loop src=\"/tone.wav\"></audio></body></html>";
    server.add("/tone.html", page);

    QVWebPageSniffer sniffer;
    bool loaded = false;
    sniffer.onTitle = [&](const QString &) { loaded = true; };
    sniffer.load(QString::fromStdString(server.url("/tone.html")), QString());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return loaded; }, 60000)) << "the page did not load";
    QWebEnginePage *web = sniffer.page();
    ASSERT_NE(web, nullptr);

    // It plays by itself, and muted.
    const bool playing = TestEnvironment::waitFor(
        [&] { return evaluate(web, QStringLiteral("(function(){var a=document.getElementById('a');"
                                                   "return !a.paused && a.currentTime > 0.2;})()")).toBool(); },
        30000);
    if (!playing)
        GTEST_SKIP() << "this machine's web engine plays no audio at all";
    EXPECT_TRUE(web->isAudioMuted());
    EXPECT_GE(server.requests("/tone.wav"), 1);

    // A second page would not be muted: the page gets none, nothing of it is loaded.
    const int pageLoads = server.requests("/tone.html");
    evaluate(web, QStringLiteral("window.open('/tone.html?second'); true"));
    QElapsedTimer settle;
    settle.start();
    TestEnvironment::waitFor([&] { return settle.elapsed() > 1500; }, 3000);
    EXPECT_EQ(server.requests("/tone.html"), pageLoads);

    // Stopping the sniff leaves nothing playing.
    sniffer.stop();
    EXPECT_TRUE(TestEnvironment::waitFor(
        [&] { return evaluate(web, QStringLiteral("location.href === 'about:blank' && "
                                                  "document.getElementsByTagName('audio').length === 0")).toBool(); },
        10000));
}
