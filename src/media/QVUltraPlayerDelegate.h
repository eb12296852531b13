#pragma once

#include <QString>

// What a QVUltraPlayer tells its owner. Every call arrives on the main thread; a delegate
// overrides only what it needs. The cast calls exist for delegates written against the whole
// interface; this player has no cast targets and never sends them.
class QVUltraPlayerDelegate
{
public:
    virtual ~QVUltraPlayerDelegate() = default;

    virtual void mediaPlayDidStarted() {}
    virtual void mediaPlayDidPause() {}
    virtual void mediaPlayDidResume() {}
    virtual void mediaPlayDidProgress(double seconds) {}
    virtual void mediaPlayDidStoped() {}
    virtual void mediaPlayDidEnd() {}
    virtual void mediaPlayDidFinishSeek(double seconds) {}
    virtual void mediaPlayDidLoadSubtitle() {}
    virtual void mediaInfoDidLoaded() {}
    virtual void mediaPlayDidError(const QString &error) {}

    virtual void mediaCastPlayDidStartConnecting() {}
    virtual void mediaCastPlayDidConnected(int device) {}
    virtual void mediaCastPlayDidDisConnected(int device) {}
    virtual void mediaCastPlayDidStartLoading() {}
    virtual void mediaCastPlayDidStartBuffering() {}
    virtual void mediaCastPlayDidStoped() {}
    virtual void mediaCastPlayDidPaused() {}
    virtual void mediaCastPlayDidEnded() {}
    virtual void mediaCastPlayDidError(const QString &error) {}
    virtual void mediaCastPlayDidPrompt(int prompt) {}
    virtual void mediaCastPlayDidProgress(double seconds, double duration, int subtitleIndex) {}
};
