#include "feedback/FeedBackSendJob.h"

#include "feedback/CTCoreMessage.h"
#include "feedback/CTSMTPConnection.h"
#include "feedback/FolderAssistant.h"
#include "feedback/WideBase64.h"
#include "platform/MainBundle.h"
#include "platform/SafeFileReader.h"

#include <archive.h>
#include <archive_entry.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QXmlStreamReader>

namespace {

constexpr qint64 kMaxAccountBytes = 64 * 1024;
constexpr int kFetchTimeoutMs = 30000;
const char *const kAccountKeys[] = {"hostname", "port", "username", "password", "address"};

QUrl httpsOnly(const QString &text)
{
    const QUrl url(text.trimmed());
    return url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty() ? url : QUrl();
}

// A name in folder that is not taken yet: "name", else "name-2", "name-3", …
QString freeName(const QDir &folder, const QString &name)
{
    if (!folder.exists(name))
        return folder.filePath(name);
    for (int i = 2;; ++i) {
        const QString candidate = QStringLiteral("%1-%2").arg(name).arg(i);
        if (!folder.exists(candidate))
            return folder.filePath(candidate);
    }
}

}

FeedBackConfig FeedBackConfig::fromInfoPlist()
{
    FeedBackConfig c;
    c.accountSource = httpsOnly(MainBundle::infoString(QStringLiteral("FeedbackAccountURL")));
    c.supportMailbox = MainBundle::infoString(QStringLiteral("FeedbackSupportMailbox")).trimmed();
    c.fallbackAccountSource = httpsOnly(MainBundle::infoString(QStringLiteral("FeedbackFallbackAccountURL")));
    c.productName = MainBundle::infoString(QStringLiteral("CFBundleDisplayName"));
    c.productVersion = MainBundle::infoString(QStringLiteral("CFBundleShortVersionString"));
    c.pid = MainBundle::infoString(QStringLiteral("PID"));
    return c;
}

bool FeedBackConfig::isConfigured() const
{
    return accountSource.isValid() && accountSource.scheme() == QLatin1String("https")
        && supportMailbox.contains(QLatin1Char('@'));
}

FeedBackSendJob::FeedBackSendJob(FeedBackConfig config, FeedBackForm form)
    : m_config(std::move(config)), m_form(std::move(form)), m_dir(QDir::tempPath() + QStringLiteral("/fennix-feedback-XXXXXX"))
{
}

FeedBackSendJob::~FeedBackSendJob() = default;

FeedBackSendJob::Result FeedBackSendJob::run()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("cannot make a working folder: %1").arg(m_dir.errorString());
        return Result::Failed;
    }
    if (m_cancelled)
        return Result::Cancelled;
    if (m_form.includeLogs)
        addLogs();
    if (m_cancelled)
        return Result::Cancelled;
    if (!m_form.screenshotJpeg.isEmpty())
        addScreenshot();
    if (m_cancelled)
        return Result::Cancelled;
    compressAttachment();
    if (m_cancelled)
        return Result::Cancelled;
    if (!m_config.isConfigured()) {
        m_report = pack(QDir(m_dir.path()).filePath(QStringLiteral("report.tar.gz")),
                        {{QStringLiteral("Message.txt"), messageText(m_config, m_form).toUtf8()}});
        m_error = QStringLiteral("no feedback service is configured");
        return Result::NotConfigured;
    }

    QString error;
    const auto account = GetAccountsInfo(m_config.accountSource, &error, &m_cancelled);
    if (m_cancelled)
        return Result::Cancelled;
    if (account && send(*account, m_config.supportMailbox))
        return Result::Sent;
    if (!account)
        m_error = error;
    if (m_cancelled)
        return Result::Cancelled;
    if (!m_config.fallbackAccountSource.isValid())
        return Result::Failed;

    // The fallback account receives the report in its own mailbox.
    const auto fallback = GetAccountsInfo(m_config.fallbackAccountSource, &error, &m_cancelled);
    if (m_cancelled)
        return Result::Cancelled;
    if (!fallback) {
        m_error += QStringLiteral("; fallback: ") + error;
        return Result::Failed;
    }
    if (send(*fallback, fallback->value(QStringLiteral("address")).toString()))
        return Result::Sent;
    return m_cancelled ? Result::Cancelled : Result::Failed;
}

bool FeedBackSendJob::send(const QVariantMap &account, const QString &to)
{
    CTCoreMessage message;
    message.setTo({CTCoreAddress(QString(), to)});
    message.setFrom({CTCoreAddress(QString(), account.value(QStringLiteral("address")).toString())});
    message.setSubject(subject(m_form.email, m_config.pid));
    message.setBody(body(m_config, m_form.description));
    if (!m_archive.isEmpty())
        message.addAttachment(CTCoreAttachment(m_archive, CTCoreAttachment::contentTypeForExtension(QStringLiteral("gz")),
                                               QStringLiteral("log.tar.gz")));
    const unsigned port = account.value(QStringLiteral("port")).toUInt();
    // Never in the clear: TLS from the start on the submissions port, else STARTTLS.
    const int type = port == 465 ? CTSMTPConnection::TLS : CTSMTPConnection::StartTLS;
    std::optional<MailCoreError> error;
    if (CTSMTPConnection::sendMessage(message, account.value(QStringLiteral("hostname")).toString(),
                                      account.value(QStringLiteral("username")).toString(),
                                      account.value(QStringLiteral("password")).toString(), port, type, true, &error))
        return true;
    if (!m_error.isEmpty())
        m_error += QStringLiteral("; ");
    m_error += error ? error->description() : QStringLiteral("refused");
    return false;
}

QString FeedBackSendJob::subject(const QString &email, const QString &pid)
{
    return QStringLiteral("T#%1#%2#client:contact#Contact from product").arg(email, pid);
}

QString FeedBackSendJob::body(const FeedBackConfig &config, const QString &description)
{
    const QString header = QStringLiteral("%1 (Linux)\uFF08%2\uFF09 Feedback").arg(config.productName, config.productVersion);
    return QStringLiteral("%1\nDescription:%2\n\n\n%3\n\n").arg(header, description, config.failedURLs);
}

QString FeedBackSendJob::messageText(const FeedBackConfig &config, const FeedBackForm &form)
{
    auto yesNo = [](bool on) { return on ? QStringLiteral("yes") : QStringLiteral("no"); };
    QString text;
    if (!config.supportMailbox.isEmpty())
        text += QStringLiteral("To: %1\n").arg(config.supportMailbox);
    text += QStringLiteral("Subject: %1\n").arg(subject(form.email, config.pid));
    text += QStringLiteral("E-mail: %1\n").arg(form.email);
    // The subject's "client:contact": the only kind of message this window sends.
    text += QStringLiteral("Type: contact\n");
    text += QStringLiteral("Logs attached: %1\n").arg(yesNo(form.includeLogs));
    text += QStringLiteral("Screenshot attached: %1\n").arg(yesNo(!form.screenshotJpeg.isEmpty()));
    text += QStringLiteral("\n") + body(config, form.description);
    return text;
}

std::optional<QVariantMap> FeedBackSendJob::GetAccountsInfo(const QUrl &url, QString *error,
                                                            const std::atomic<bool> *cancelled)
{
    if (!url.isValid() || url.scheme() != QLatin1String("https")) {
        *error = QStringLiteral("the account source is not an https address");
        return std::nullopt;
    }
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setTransferTimeout(kFetchTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply *reply = manager.get(request);
    QByteArray body;
    bool tooLarge = false;
    QEventLoop loop;
    QObject::connect(reply, &QIODevice::readyRead, &loop, [&] {
        body += reply->readAll();
        if (body.size() > kMaxAccountBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer watch;
    if (cancelled) {
        QObject::connect(&watch, &QTimer::timeout, reply, [&] {
            if (*cancelled)
                reply->abort();
        });
        watch.start(50);
    }
    if (!reply->isFinished())
        loop.exec();
    body += reply->readAll();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString networkError = reply->errorString();
    const bool failed = reply->error() != QNetworkReply::NoError;
    delete reply;
    if (tooLarge) {
        *error = QStringLiteral("the account answer is too large");
        return std::nullopt;
    }
    if (failed || status != 200) {
        *error = QStringLiteral("error:%1").arg(networkError);
        return std::nullopt;
    }
    return parseAccount(body, error);
}

std::optional<QVariantMap> FeedBackSendJob::parseAccount(const QByteArray &xml, QString *error)
{
    QXmlStreamReader reader(xml);
    QVariantMap account;
    if (!reader.readNextStartElement()) {
        *error = QStringLiteral("the account is not XML: %1").arg(reader.errorString());
        return std::nullopt;
    }
    while (reader.readNextStartElement()) {
        const QString name = reader.name().toString();
        const QString text = reader.readElementText(QXmlStreamReader::SkipChildElements);
        bool known = false;
        for (const char *key : kAccountKeys)
            known = known || name == QLatin1String(key);
        if (!known || account.contains(name))
            continue;
        const auto decoded = Decode(text.trimmed().toStdWString(), kFeedbackAccountKey);
        if (decoded)
            account.insert(name, QString::fromStdWString(*decoded));
    }
    if (reader.hasError()) {
        *error = QStringLiteral("the account is not XML: %1").arg(reader.errorString());
        return std::nullopt;
    }
    for (const char *key : {"hostname", "address", "password", "username"})
        if (account.value(QLatin1String(key)).toString().isEmpty()) {
            *error = QStringLiteral("the account has no %1").arg(QLatin1String(key));
            return std::nullopt;
        }
    bool ok = false;
    const uint port = account.value(QStringLiteral("port")).toString().toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        *error = QStringLiteral("the account has no valid port");
        return std::nullopt;
    }
    return account;
}

bool FeedBackSendJob::addLogs()
{
    const QString logFolder = FolderAssistant::createFolder(QStringLiteral("Log"), m_dir.path());
    if (!QFileInfo(logFolder).isDir())
        return false;
    const QDir logs(logFolder);
    QStringList sources;
    for (const QString &path : m_config.productLogPaths)
        if (QFileInfo(path).isFile())
            sources.append(path);
    // The newest crash report.
    if (!m_config.crashReportsFolder.isEmpty()) {
        QFileInfo newest;
        for (const QFileInfo &report : QDir(m_config.crashReportsFolder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QFileInfo text(report.filePath() + QStringLiteral("/report.txt"));
            if (text.isFile() && (!newest.exists() || text.lastModified() > newest.lastModified()))
                newest = text;
        }
        if (newest.exists())
            sources.append(newest.filePath());
    }
    for (const QString &source : sources) {
        QString name = QFileInfo(source).fileName();
        if (name == QLatin1String("report.txt"))
            name = QStringLiteral("crash-") + QFileInfo(source).dir().dirName() + QStringLiteral(".txt");
        // A file that cannot be read (or is no regular file, or over 64 MiB) is only left out.
        const SafeFileReader::Result log = SafeFileReader::read(source, qint64(64) << 20);
        QFile copy(freeName(logs, name));
        if (log.ok() && copy.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            copy.write(log.data);
    }
    return true;
}

bool FeedBackSendJob::addScreenshot()
{
    const QString screenFolder = FolderAssistant::createFolder(QStringLiteral("Screen"), m_dir.path());
    if (!QFileInfo(screenFolder).isDir())
        return false;
    QFile file(QDir(screenFolder).filePath(QStringLiteral("FeedbackScreen_%1.jpg").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")))));
    return file.open(QIODevice::WriteOnly) && file.write(m_form.screenshotJpeg) == m_form.screenshotJpeg.size();
}

bool FeedBackSendJob::compressAttachment()
{
    m_archive = pack(QDir(m_dir.path()).filePath(QStringLiteral("log.tar.gz")), {});
    return !m_archive.isEmpty();
}

QByteArray FeedBackSendJob::pack(const QString &archivePath, const QList<std::pair<QString, QByteArray>> &extra) const
{
    const QDir work(m_dir.path());
    QList<std::pair<QString, QByteArray>> entries;
    QStringList files;
    for (const char *folder : {"Log", "Screen"}) {
        QDirIterator it(work.filePath(QLatin1String(folder)), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next());
    }
    files.sort();
    for (const QString &path : files) {
        QFile in(path);
        if (SafeFileReader::open(in))
            entries.append({work.relativeFilePath(path), in.readAll()});
    }
    entries += extra;
    if (entries.isEmpty())
        return {};
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    struct archive *a = archive_write_new();
    archive_write_add_filter_gzip(a);
    archive_write_set_format_pax_restricted(a);
    bool ok = archive_write_open_filename(a, QFile::encodeName(archivePath).constData()) == ARCHIVE_OK;
    for (const auto &[name, bytes] : entries) {
        if (!ok)
            break;
        struct archive_entry *entry = archive_entry_new();
        archive_entry_set_pathname_utf8(entry, name.toUtf8().constData());
        archive_entry_set_size(entry, bytes.size());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_mtime(entry, now, 0);
        ok = archive_write_header(a, entry) == ARCHIVE_OK
            && archive_write_data(a, bytes.constData(), size_t(bytes.size())) == bytes.size();
        archive_entry_free(entry);
    }
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    QFile packed(archivePath);
    if (!ok || !packed.open(QIODevice::ReadOnly)) {
        // A failed archive leaves the message without attachment.
        QFile::remove(archivePath);
        return {};
    }
    return packed.readAll();
}
