#pragma once

#include "reelgrab/QVOnlineVideoInfo.h"

#include "reelgrab/QVMediaSniffingResult.h"
#include "reelgrab/QVReelgrabError.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

class QVMediaSniffer;

// Callbacks are optional and arrive on the sniffer's thread (the main thread).
class QVMediaSnifferDelegate
{
public:
    virtual ~QVMediaSnifferDelegate() = default;
    virtual void sniffingDidStarted(QVMediaSniffer *) {}
    virtual void sniffingInProgress(QVMediaSniffer *, float progress) {}
    virtual void sniffingDidCompleted(QVMediaSniffer *, const QVMediaSniffingResult &result) {}
    // error is null when there is none to give (empty address, nothing found and no engine code).
    virtual void sniffingDidFailed(QVMediaSniffer *, const QVReelgrabError &error) {}
    virtual void sniffingDidCanceled(QVMediaSniffer *) {}
    virtual bool sniffingCouldSniffByWebView() { return false; }
};

// The page-loading road, provided by the web library: loads a page hidden and muted and tells
// what each of its requests turned out to be.
class QVWebViewSniffing
{
public:
    virtual ~QVWebViewSniffing() = default;
    virtual void load(const QString &pageUrl, const QString &userAgent) = 0;
    virtual void stop() = 0;

    // A resource of the page: address, MIME type, length (-1 unknown), suggested extension.
    std::function<void(const QString &url, const QString &mime, qint64 length, const QString &ext)> onResponse;
    std::function<void(const QString &title)> onTitle;
    // PNG bytes of the page's icon.
    std::function<void(const QByteArray &png)> onIcon;
    // The main frame failed to load; description of the error. The road goes on.
    std::function<void(const QString &description)> onLoadFailed;
    // The road broke and cannot go on (its process died, hung or talked nonsense).
    std::function<void(const QString &description)> onBroken;
    // How far the page itself has loaded, percent.
    std::function<void(int percent)> onProgress;
    // The page has loaded and its network has been idle for IdleSeconds: the road can end.
    std::function<void()> onSettled;
};

// Finds the media behind a page: the engine's sniffer first, then (when the delegate allows and
// a page-loading road is installed) a hidden, muted web page.
class QVMediaSniffer : public QObject
{
    Q_OBJECT
public:
    using WebViewFactory = std::function<std::unique_ptr<QVWebViewSniffing>()>;
    // Turns image bytes of any common format into PNG; empty when they are no image.
    using ImageEncoder = std::function<QByteArray(const QByteArray &)>;

    // The road ends once the page has loaded and its network is idle; these only cap pages that
    // never settle. An answer within a minute is what users wait for.
    static constexpr float InitialBudget = 30.0f;
    static constexpr float MaxBudget = 45.0f; // advertisements cannot stretch it beyond this
    static constexpr float IdleSeconds = 2.5f;
    static constexpr float SettleAfterMedia = 5.0f;
    static constexpr float TickSeconds = 0.5f;
    static constexpr qint64 MinMediaBytes = 1024 * 1024;
    static constexpr qint64 MaxImageBytes = 4 * 1024 * 1024;
    static constexpr int ImageTimeoutMs = 10000;

    explicit QVMediaSniffer(void *libHandle, QObject *parent = nullptr);
    ~QVMediaSniffer() override;

    QVMediaSnifferDelegate *delegate() const { return m_delegate; }
    void setDelegate(QVMediaSnifferDelegate *d) { m_delegate = d; }

    // Quick sniff through the engine's one-call answer, synchronous on the caller's thread.
    static QVOnlineVideoInfo quickSniffingWithLibHandle(void *libHandle, const QString &pageUrl, const QString &browser);
    // Parses the engine's quick-sniff JSON answer.
    static QVOnlineVideoInfo onlineVideoInfoFromQuickSniff(const QByteArray &json);
    // Bytes a download of that line count and length is expected to take.
    static qint64 filesizeofResolution(qint32 resolution, qint64 seconds);
    // The browser whose cookies a page is read with: the given one, else the desktop's default.
    static QString cookieBrowser(const QString &browser);
    // The engine's name for the cookie store of a browser's desktop entry: "chrome" for the
    // Chromium family, "firefox", else "safari".
    static QString cookieSource(const QString &desktopEntry);
    // The browser's cookies for the page ("" when there are none or reading them failed).
    static QString cookiesForPage(void *libHandle, const QString &browser, const QString &pageUrl);

    static void setWebViewFactory(WebViewFactory factory);
    static bool hasWebViewFactory();
    static void setImageEncoder(ImageEncoder encoder);

    // Blocks while the engine sniffs; reports through the delegate on the sniffer's thread.
    void sniffingPageUrl(const QString &pageUrl, const QString &cookies, const QString &userAgent);
    // Main thread only.
    void sniffingPageUrlUsingWebViewSniffer(const QString &pageUrl, const QString &cookies, const QString &userAgent);
    void cancel();
    void stopWebviewSniffer();

    QList<QVSniffingMedia> pickoutMedias();
    QList<QVSniffingMediaSubtitle> pickoutSubtitle();
    QString pickoutMediaTitleWithPageUrl(const QString &pageUrl);
    QString pickoutWebsiteIconWithPageUrl(const QString &pageUrl);
    QString pickoutThumbnailWithPageUrl(const QString &pageUrl);
    static qint64 requestMediaBytesFrom(const QString &url);

    // Format code of a MIME type by the first matching prefix (longest prefix wins); 0 when none.
    static quint32 formatForMime(const QString &mime);

    // The web-view road's budget, seconds; tests and impatient users shorten it.
    void setWebViewBudget(float seconds);
    float maxSniffingTime() const { return m_maxSniffingTime; }
    float sniffedTime() const { return m_sniffedTime; }
    const QVMediaSniffingResult &webViewResult() const { return m_webResult; }
    // One response of the web-view road (public so the table can be tested without a page).
    void handleWebResponse(const QString &url, const QString &mime, qint64 length, const QString &ext);
    void setTimesForTesting(float sniffed, float budget);
    // Writes image bytes as PNG at path; false when they are no image.
    static bool writePng(const QByteArray &bytes, const QString &path);

private:
    void report(std::function<void(QVMediaSnifferDelegate *)> call);
    void tick();
    void finishWebRoad();
    void webRoadBroken(const QString &description);

    void *m_mediaSniffer = nullptr;
    void *m_libHandle = nullptr;
    QVMediaSnifferDelegate *m_delegate = nullptr;
    std::atomic<bool> m_sniffingCanceled{false};
    QVReelgrabError m_error;
    std::unique_ptr<QVWebViewSniffing> m_webView;
    std::unique_ptr<QTimer> m_calcTimer;
    float m_budgetSetting = InitialBudget;
    float m_maxSniffingTime = InitialBudget;
    float m_sniffedTime = 0;
    QString m_webPageUrl;
    QVMediaSniffingResult m_webResult;
};
