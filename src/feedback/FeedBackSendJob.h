#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariantMap>

#include <atomic>
#include <memory>
#include <optional>

// Where the feedback goes and what the product says about itself: read on the GUI thread
// before a job starts.
struct FeedBackConfig {
    QUrl accountSource;          // https: the SMTP account, scrambled XML
    QString supportMailbox;      // the address the feedback is sent to
    QUrl fallbackAccountSource;  // https, optional: a second account for a failed first send
    QString productName, productVersion, pid;
    QStringList productLogPaths;
    QString crashReportsFolder;
    QString failedURLs;          // "Failed URL:" lines, or empty

    // From the Info.plist keys "FeedbackAccountURL", "FeedbackSupportMailbox" and
    // "FeedbackFallbackAccountURL"; addresses other than https are ignored.
    static FeedBackConfig fromInfoPlist();
    bool isConfigured() const;
};

// What the user entered, captured on the GUI thread when Submit was clicked.
struct FeedBackForm {
    bool includeLogs = true;
    QByteArray screenshotJpeg;  // empty: no screenshot
    QString email;
    QString description;
};

// One Submit: gathers the logs and the screenshot in a private folder of its own, packs them
// into log.tar.gz, fetches the account over https and mails the report over TLS or STARTTLS.
// run() blocks (on the job's own thread); cancel() may come from any thread and is looked at
// between steps.
class FeedBackSendJob
{
public:
    enum class Result { Sent, Failed, NotConfigured, Cancelled };

    FeedBackSendJob(FeedBackConfig config, FeedBackForm form);
    ~FeedBackSendJob();

    Result run();
    void cancel() { m_cancelled = true; }
    bool isCancelled() const { return m_cancelled; }
    // Why the job failed, for the log.
    QString errorText() const { return m_error; }
    // The report an unconfigured build offers to save: the logs and the screenshot with
    // "Message.txt", what the mail would have carried.
    QByteArray reportArchive() const { return m_report; }
    // The job's working folder (removed with the job).
    QString workFolder() const { return m_dir.path(); }

    // The account at url: "hostname", "port", "username", "password", "address", each
    // unscrambled; nothing (and *error) when it cannot be fetched or read. A set cancel flag
    // ends the fetch early.
    static std::optional<QVariantMap> GetAccountsInfo(const QUrl &url, QString *error,
                                                      const std::atomic<bool> *cancelled = nullptr);
    static std::optional<QVariantMap> parseAccount(const QByteArray &xml, QString *error);
    static QString subject(const QString &email, const QString &pid);
    static QString body(const FeedBackConfig &config, const QString &description);
    // The fields of the mail and its body as text: what the user typed and chose.
    static QString messageText(const FeedBackConfig &config, const FeedBackForm &form);

private:
    bool addLogs();
    bool addScreenshot();
    bool compressAttachment();
    // The Log and Screen files of the working folder and the extra entries, packed into a
    // gzip'ed tar at path; its bytes, empty when it could not be made.
    QByteArray pack(const QString &path, const QList<std::pair<QString, QByteArray>> &extra) const;
    bool send(const QVariantMap &account, const QString &to);

    FeedBackConfig m_config;
    FeedBackForm m_form;
    QTemporaryDir m_dir;
    std::atomic<bool> m_cancelled {false};
    QString m_error;
    QByteArray m_archive;
    QByteArray m_report;
};
