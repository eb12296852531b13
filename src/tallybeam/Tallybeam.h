#pragma once

#include "tallybeam/TallybeamExport.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <mutex>

class TallybeamObject;

// Sends measurement hits in the background, one HTTPS GET each. Off until both a tracking id
// and an https endpoint are set: the library carries neither. At most kMaxHitsInFlight
// requests run at once and kMaxHitsQueued more wait; beyond that hits are dropped.
class TALLYBEAM_EXPORT Tallybeam
{
public:
    static constexpr int kMaxHitsInFlight = 4;
    static constexpr int kMaxHitsQueued = 64;
    static constexpr int kTimeoutMs = 30000;

    // The shared sender, made on first use without a tracking id or endpoint.
    static Tallybeam &defaultMeasurement();
    Tallybeam() = default;
    explicit Tallybeam(const QString &tid);

    QString tid() const;
    void setTid(const QString &tid);
    QUrl endpoint() const;
    // Only an https address is taken; false (and the old endpoint kept) for any other.
    bool setEndpoint(const QUrl &endpoint);
    bool isEnabled() const;

    // Returns at once. False when sending is off or the queue is full: the hit is dropped.
    bool collectTallybeamObject(std::shared_ptr<const TallybeamObject> hit);
    // "v=1&tid=…&cid=…&z=<seconds since 2001-01-01>".
    QString commonQueryString() const;
    // A random id made once for this user and kept in their configuration folder (never a
    // machine or hardware id); a new one for each process when it cannot be stored.
    static QString clientId();
    // Waits for every queued hit (tests, quitting); false on time-out.
    static bool waitForDone(int msecs);

private:
    mutable std::mutex m_mutex;
    QString m_tid;
    QUrl m_endpoint;
};
