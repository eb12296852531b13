#pragma once

#include "reelgrab/QVMediaSniffer.h"

#include <QObject>
#include <QSet>

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

private:
    bool isAddressLike(const QString &title) const;
    bool m_loaded = false;
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
