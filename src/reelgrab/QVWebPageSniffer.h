#pragma once

#include "reelgrab/QVMediaSniffer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <memory>

class QNetworkAccessManager;
class QWebEnginePage;
class QWebEngineProfile;
class QVWebRequestWatcher;

// The page-loading road on a hidden, muted web page in a private profile. Every request the
// page makes for something that may be media is asked for its type and length with HEAD.
class QVWebPageSniffer : public QObject, public QVWebViewSniffing
{
    Q_OBJECT
public:
    static constexpr int HeadTimeoutMs = 5000;
    static constexpr int MaxProbes = 200; // a page cannot keep us probing for ever

    QVWebPageSniffer();
    ~QVWebPageSniffer() override;

    void load(const QString &pageUrl, const QString &userAgent) override;
    void stop() override;

    void requestSeen(const QUrl &url);
    // Any request of the page: the network is not idle.
    void activity();
    // The hidden page (tests look at what it plays).
    QWebEnginePage *page() const { return m_page.get(); }

private:
    bool isAddressLike(const QString &title) const;
    void checkSettled();
    bool m_loaded = false;
    bool m_settled = false;
    bool m_loadEnded = false; // loaded or failed: either way the page asks for nothing more by itself
    int m_probesRunning = 0;
    QElapsedTimer m_lastActivity;
    QTimer m_settleCheck;
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<QVWebRequestWatcher> m_watcher;
    std::unique_ptr<QWebEnginePage> m_page;
    std::unique_ptr<QNetworkAccessManager> m_network;
    QSet<QString> m_probed;
};

// The child program of the page-loading road (ReelgrabWebSniffer): reads one request from
// standard input, loads the page and writes what it finds to standard output, until its input
// closes, its parent dies or the request's time runs out. Pages it loads never make a sound.
namespace ReelgrabWeb {
int runSnifferChild(int argc, char **argv);
// On this platform silencing is done per page (muted pages); kept as the start-up step.
int initAudioFunc();
} // namespace ReelgrabWeb
