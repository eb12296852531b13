#pragma once

#include <QMutex>
#include <QObject>
#include <QUrl>
#include <QVariantMap>

// The usage-statistics client. Events are (group, value) pairs; the client counts them per
// group and value in memory and in a local file, and uploads the counts only to an endpoint
// named in Info.plist ("StatisticsEndpoint"; none by default, so nothing leaves the machine).
// Safe from any thread.
class QVHPHelper : public QObject
{
    Q_OBJECT
public:
    static constexpr int UploadTimeoutMs = 5000;
    static constexpr int MaxGroups = 512;          // further groups are not counted
    static constexpr int MaxValuesPerGroup = 512;  // nor further values of one group
    static constexpr int MaxTextLength = 256;      // longer group or value texts are cut

    static QVHPHelper &share();
    // A client of its own (tests); storePath empty: nothing is kept on disk.
    explicit QVHPHelper(const QString &storePath, QObject *parent = nullptr);
    ~QVHPHelper() override;

    void setDataCollectPID(const QString &pid);
    QString dataCollectPID() const;
    // Loads the counts kept from earlier runs; events before the start are counted too.
    void startHelper();
    // A group the product knows, and one that the client creates on first use: both count.
    void commIncreaseDataCollect(const QString &group, const QString &value);
    void autoCreatedIncreaseDataCollect(const QString &group, const QString &value);
    // Sends the counts to the endpoint and forgets those the endpoint took (waits at most
    // UploadTimeoutMs). False without an endpoint or when the upload failed: counts are kept.
    bool directUploadData();
    // Writes the counts to the store.
    void stopHelper();

    bool isRunning() const;
    // group -> {value -> count}
    QVariantMap counters() const;
    qint64 count(const QString &group, const QString &value) const;
    QUrl endpoint() const;
    void setEndpoint(const QUrl &endpoint);
    // The anonymous identity sent with uploads: a salted SHA-256 of the machine id.
    static QString clientIdentity();
    static QString defaultStorePath();

private:
    void increase(const QString &group, const QString &value);
    bool saveLocked() const;

    mutable QMutex m_mutex;
    QString m_storePath;
    QString m_pid;
    QUrl m_endpoint;
    QVariantMap m_counters;
    bool m_running = false;
};
