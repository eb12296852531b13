#include "AiosmtpdServer.h"
#include "MailParse.h"
#include "ScrambledAccount.h"
#include "support/HttpsStub.h"
#include "support/TestCertificates.h"

#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "controls/PlaceHolderTextView.h"
#include "feedback/FeedBack.h"
#include "feedback/FeedBackRegistration.h"
#include "shell/ShellRegistry.h"
#include "shell/UIManager.h"
#include "feedback/FeedBackSendJob.h"
#include "feedback/FolderAssistant.h"
#include "platform/MainBundle.h"
#include "support/WindowTexts.h"

#include <archive.h>
#include <archive_entry.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// name -> bytes of every file in a .tar.gz.
QMap<QString, QByteArray> untar(const QByteArray &archive)
{
    QMap<QString, QByteArray> files;
    struct archive *a = archive_read_new();
    archive_read_support_filter_gzip(a);
    archive_read_support_format_tar(a);
    if (archive_read_open_memory(a, archive.constData(), size_t(archive.size())) == ARCHIVE_OK) {
        struct archive_entry *entry = nullptr;
        while (archive_read_next_header(a, &entry) == ARCHIVE_OK) {
            QByteArray bytes(qsizetype(archive_entry_size(entry)), '\0');
            archive_read_data(a, bytes.data(), size_t(bytes.size()));
            files.insert(QString::fromUtf8(archive_entry_pathname(entry)), bytes);
        }
    }
    archive_read_free(a);
    return files;
}

QStringList namesUnder(const QMap<QString, QByteArray> &files, const QString &folder)
{
    QStringList names;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        if (it.key().startsWith(folder + QLatin1Char('/')))
            names.append(it.key().mid(folder.size() + 1));
    return names;
}

QImage testScreen()
{
    QImage image(640, 400, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 640, 400);
    g.setColorAt(0, QColor(40, 90, 160));
    g.setColorAt(1, QColor(230, 240, 250));
    p.fillRect(image.rect(), g);
    p.fillRect(60, 60, 300, 180, Qt::white);
    p.fillRect(60, 60, 300, 24, QColor(220, 220, 220));
    return image;
}

class FeedBackTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<FeedBack>();
        window->setConfig(FeedBackConfig {});
        appLog = logs.filePath(QStringLiteral("FennixPro.log"));
        failedLog = logs.filePath(QStringLiteral("DownloadFailedLog.plist"));
        writeFile(appLog, "application log line\n");
        writeFile(failedLog, "<plist/>\n");
        window->setProductLogPaths({appLog, failedLog, logs.filePath(QStringLiteral("missing.log"))});
        window->resetFeedback();
        window->setScreenshot(testScreen());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override
    {
        window.reset();
        TestCertificates::untrustAll();
    }

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    template <typename T>
    T *child(const char *name)
    {
        T *w = window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void fillForm(const QString &email, const QString &description)
    {
        auto *field = child<QLineEdit>("emailField");
        field->clear();
        QTest::keyClicks(field, email);
        auto *view = child<PlaceHolderTextView>("descriptionView");
        QTest::mouseClick(view->viewport(), Qt::LeftButton);
        QTest::keyClicks(view, description);
    }

    void click(const char *button)
    {
        auto *b = child<MGHoverButton>(button);
        ASSERT_TRUE(b && b->isVisible()) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    bool waitForState(int state, int ms = 60000)
    {
        return QTest::qWaitFor([&] { return window->sendState() == state; }, ms);
    }

    void grab(const char *name)
    {
        QDir().mkpath(QStringLiteral(FEEDBACK_GRAB_DIR));
        window->grab().save(QStringLiteral(FEEDBACK_GRAB_DIR "/%1.png").arg(QString::fromLatin1(name)));
    }

    QTemporaryDir logs;
    QString appLog, failedLog;
    std::unique_ptr<FeedBack> window;
};

struct Services {
    TestCertificates certificates;
    std::unique_ptr<HttpsStub> accounts;
    std::unique_ptr<AiosmtpdServer> smtp;
    QString why;

    bool start()
    {
        if (!certificates.ok()) {
            why = certificates.why();
            return false;
        }
        certificates.trust();
        accounts = std::make_unique<HttpsStub>(certificates);
        smtp = std::make_unique<AiosmtpdServer>(QStringLiteral("starttls"), certificates.certPath(), certificates.keyPath());
        if (!accounts->listen() || !smtp->start()) {
            why = smtp->why();
            return false;
        }
        return true;
    }
    // Serves the working account at path; the configuration that sends to the support mailbox
    // with it.
    FeedBackConfig serve(const QString &path)
    {
        accounts->setResponse(path, account(QStringLiteral("sender@example.org")));
        FeedBackConfig config;
        config.accountSource = accounts->url(path);
        config.supportMailbox = QStringLiteral("support@example.org");
        return config;
    }
    QByteArray account(const QString &address, quint16 port = 0) const
    {
        return scrambledAccountXml(QStringLiteral("localhost"), QString::number(port ? port : smtp->port()),
                                   QStringLiteral("user"), QStringLiteral("secret"), address);
    }
};

}

TEST(FeedBackSendJob, AccountDocumentTable)
{
    QString error;
    const auto good = FeedBackSendJob::parseAccount(
        scrambledAccountXml(QStringLiteral("smtp.example.org"), QStringLiteral("587"), QStringLiteral("u"),
                            QStringLiteral("p\u00e4ss"), QStringLiteral("a@example.org")),
        &error);
    ASSERT_TRUE(good.has_value()) << error.toStdString();
    EXPECT_EQ(good->value(QStringLiteral("hostname")).toString(), QStringLiteral("smtp.example.org"));
    EXPECT_EQ(good->value(QStringLiteral("password")).toString(), QStringLiteral("p\u00e4ss"));

    struct Case {
        const char *name;
        QByteArray xml;
    } bad[] = {
        {"no port", "<smtp><hostname>" + scrambleField("h").toLatin1() + "</hostname></smtp>"},
        {"port 0", scrambledAccountXml("h", "0", "u", "p", "a@b.c")},
        {"port too large", scrambledAccountXml("h", "70000", "u", "p", "a@b.c")},
        {"port not a number", scrambledAccountXml("h", "smtp", "u", "p", "a@b.c")},
        {"empty password", scrambledAccountXml("h", "587", "u", "", "a@b.c")},
        {"not XML", "<html><body>Server error"},
        {"empty", ""},
        {"field not scrambled", QByteArray(scrambledAccountXml("h", "587", "u", "p", "a@b.c"))
                                    .replace(scrambleField("u").toLatin1(), "\xc3\xa9\xc3\xa9")},
    };
    for (const auto &c : bad) {
        error.clear();
        EXPECT_FALSE(FeedBackSendJob::parseAccount(c.xml, &error).has_value()) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }

    EXPECT_FALSE(FeedBackSendJob::GetAccountsInfo(QUrl(QStringLiteral("http://127.0.0.1/interface.php")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("https")));
}

TEST(FeedBackSendJob, SubjectAndBody)
{
    EXPECT_EQ(FeedBackSendJob::subject(QStringLiteral("a@b.org"), QStringLiteral("42")),
              QStringLiteral("T#a@b.org#42#client:contact#Contact from product"));
    FeedBackConfig c;
    c.productName = QStringLiteral("Fennix Pro");
    c.productVersion = QStringLiteral("1.0");
    const QString body = FeedBackSendJob::body(c, QStringLiteral("it broke"));
    EXPECT_EQ(body, QStringLiteral("Fennix Pro (Linux)\uFF081.0\uFF09 Feedback\nDescription:it broke\n\n\n\n\n"));
    EXPECT_FALSE(body.contains(QStringLiteral("(null)")));
}

TEST(FolderAssistant, CreateFolderAtPath)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    struct Case
    {
        QString folder, atPath, expected;
        bool made;
    } cases[] = {
        {QString(), root, QString(), false},
        {QStringLiteral("Log"), QString(), QString(), false},
        {QStringLiteral("Log"), root, root + QStringLiteral("/Log"), true},
        {QStringLiteral("Log"), root, root + QStringLiteral("/Log"), true}, // already there
        {QStringLiteral("Screen"), root + QStringLiteral("/a/b"), root + QStringLiteral("/a/b/Screen"), true},
        {QStringLiteral("../escape"), root + QStringLiteral("/a"), QString(), false},
        {QStringLiteral("/abs"), root, QString(), false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FolderAssistant::createFolder(c.folder, c.atPath), c.expected) << c.folder.toStdString();
        if (c.made) {
            EXPECT_TRUE(QFileInfo(c.expected).isDir()) << c.expected.toStdString();
        }
    }
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/escape")));
}

TEST_F(FeedBackTest, AttachmentUsageTipShowsItsText)
{
    auto *label = child<QLabel>("attachmentUsageLabel");
    ASSERT_TRUE(label && label->isVisible());
    const QString text = MainBundle::localizedString(QStringLiteral("Attachment Usage tip"), QStringLiteral("FeedBackWinCtrl"));
    EXPECT_NE(text, QStringLiteral("Attachment Usage tip")) << "the string table has no text for the key";
    EXPECT_EQ(label->text(), text);
    EXPECT_TRUE(WindowTexts::bareKeys(window.get()).isEmpty()) << WindowTexts::bareKeys(window.get()).join(u',').toStdString();
}

TEST_F(FeedBackTest, InvalidFormShakesAndFocusesTheField)
{
    grab("empty");
    struct Case {
        const char *name;
        QString email;
        QString description;
        const char *focused;
    } cases[] = {
        {"placeholder description", QStringLiteral("user@example.org"), QString(), "descriptionView"},
        {"no dot after @", QStringLiteral("user@example"), QStringLiteral("text"), "emailField"},
    };
    for (const auto &c : cases) {
        window->resetFeedback();
        auto *field = child<QLineEdit>("emailField");
        field->setText(c.email);
        if (!c.description.isEmpty()) {
            QTest::mouseClick(child<PlaceHolderTextView>("descriptionView")->viewport(), Qt::LeftButton);
            QTest::keyClicks(child<PlaceHolderTextView>("descriptionView"), c.description);
        }
        click("submitButton");
        EXPECT_EQ(window->sendState(), FeedBack::WriteMessage) << c.name;
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->focusWidget() == child<QWidget>(c.focused); }, 2000)) << c.name;
    }
    EXPECT_TRUE(FeedBack::isEmailValid(QStringLiteral("first.last+tag@mail.example.co.uk")));
}

TEST_F(FeedBackTest, ResetGuessesTheAddressAndFocusesNothing)
{
    EXPECT_NE(window->focusWidget(), child<QWidget>("emailField"));
    EXPECT_TRUE(child<QLineEdit>("emailField")->text().isEmpty()) << "nothing to guess from in a fresh home";

    const QDir home = QDir::home();
    writeFile(home.filePath(QStringLiteral(".gitconfig")), "[core]\n\temail = not-this@example.org\n"
                                                          "[user]\n\tname = U\n\temail = git.user@example.org\n");
    window->resetFeedback();
    EXPECT_EQ(child<QLineEdit>("emailField")->text(), QStringLiteral("git.user@example.org"));

    // The mail client's identity comes first.
    ASSERT_TRUE(home.mkpath(QStringLiteral(".thunderbird/abcd.default")));
    writeFile(home.filePath(QStringLiteral(".thunderbird/abcd.default/prefs.js")),
              "user_pref(\"mail.identity.id1.useremail\", \"mail.user@example.org\");\n");
    window->resetFeedback();
    EXPECT_EQ(child<QLineEdit>("emailField")->text(), QStringLiteral("mail.user@example.org"));

    // An address the caller gives wins over a guess.
    window->setEmail(QStringLiteral("given@example.org"));
    window->resetFeedback();
    EXPECT_EQ(child<QLineEdit>("emailField")->text(), QStringLiteral("given@example.org"));
    QFile::remove(home.filePath(QStringLiteral(".gitconfig")));
    QDir(home.filePath(QStringLiteral(".thunderbird"))).removeRecursively();
}

TEST_F(FeedBackTest, PlacedOverTheParentFrame)
{
    window->setFixedSize(400, 300);
    const QSize frame = window->frameGeometry().size();
    // Centred over the parent; a negative half-difference is cut toward zero.
    struct Case {
        QRect parent;
        int dx, dy;
    } cases[] = {
        {QRect(100, 50, frame.width() + 400, frame.height() + 300), 200, 150},
        {QRect(0, 0, frame.width() + 1, frame.height() + 3), 0, 1},
        {QRect(10, 10, frame.width() - 3, frame.height() - 101), -1, -50},
    };
    for (const auto &c : cases) {
        window->setFrameOriginWithParentRect(c.parent);
        EXPECT_EQ(window->frameGeometry().topLeft(), c.parent.topLeft() + QPoint(c.dx, c.dy))
            << c.parent.width() << "x" << c.parent.height();
    }
}

TEST_F(FeedBackTest, UnconfiguredBuildOffersToSaveTheReport)
{
    // Two crash reports: only the newer one goes along.
    QTemporaryDir crashes;
    for (const char *name : {"old", "new"}) {
        QDir(crashes.path()).mkpath(QString::fromLatin1(name));
        writeFile(crashes.filePath(QStringLiteral("%1/report.txt").arg(QString::fromLatin1(name))),
                  QByteArray("crash ") + name);
        QFile report(crashes.filePath(QStringLiteral("%1/report.txt").arg(QString::fromLatin1(name))));
        ASSERT_TRUE(report.open(QIODevice::ReadWrite));
        report.setFileTime(QDateTime::currentDateTime().addSecs(qstrcmp(name, "new") == 0 ? 0 : -3600),
                           QFileDevice::FileModificationTime);
    }
    FeedBackConfig config;
    config.crashReportsFolder = crashes.path();
    window->setConfig(config);
    fillForm(QStringLiteral("user@example.org"), QStringLiteral("The download stops at 99%."));
    grab("filled");
    click("submitButton");
    ASSERT_TRUE(waitForState(FeedBack::NotConfigured));
    EXPECT_TRUE(window->stateText().contains(QStringLiteral("No feedback service is configured")));
    auto *icon = child<QLabel>("notConfiguredIconView");
    EXPECT_EQ(icon->property("slice").toString(), QStringLiteral("toolbox-120_"));
    grab("unconfigured");

    QTemporaryDir out;
    const QString target = out.filePath(QStringLiteral("report.tar.gz"));
    window->setSaveFileChooser([&] { return target; });
    click("saveReportButton");
    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << window->stateText().toStdString();
    const auto files = untar(saved.readAll());
    EXPECT_EQ(files.value(QStringLiteral("Log/FennixPro.log")), QByteArray("application log line\n"));
    EXPECT_TRUE(files.contains(QStringLiteral("Log/DownloadFailedLog.plist")));
    EXPECT_EQ(files.value(QStringLiteral("Log/crash-new.txt")), QByteArray("crash new"));
    EXPECT_FALSE(files.contains(QStringLiteral("Log/crash-old.txt")));
    const QStringList screens = namesUnder(files, QStringLiteral("Screen"));
    ASSERT_EQ(screens.size(), 1);
    EXPECT_TRUE(screens.first().endsWith(QStringLiteral(".jpg")));
    EXPECT_TRUE(files.value(QStringLiteral("Screen/") + screens.first()).startsWith("\xff\xd8")) << "JPEG bytes";

    // What the user typed and chose travels in the report as the mail would carry it.
    const QString message = QString::fromUtf8(files.value(QStringLiteral("Message.txt")));
    for (const char *line : {"E-mail: user@example.org", "Type: contact", "Logs attached: yes",
                             "Screenshot attached: yes", "Subject: T#user@example.org#", "Description:The download stops at 99%."})
        EXPECT_TRUE(message.contains(QString::fromUtf8(line))) << line << "\n"
                                                               << message.toStdString();

    // Saved: the success icon, not the failure one.
    EXPECT_TRUE(window->stateText().contains(QStringLiteral("The report was saved"))) << window->stateText().toStdString();
    EXPECT_EQ(icon->property("slice").toString(), QStringLiteral("toolbox-111_"));
    const QImage success = UIManager::sliceNamedInToolbox(QStringLiteral("toolbox-111_"));
    ASSERT_FALSE(success.isNull());
    EXPECT_EQ(icon->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
              QPixmap::fromImage(success).toImage().convertToFormat(QImage::Format_ARGB32));
    grab("report-saved");
}

TEST_F(FeedBackTest, SendsTheReportEndToEnd)
{
    Services services;
    if (!services.start())
        GTEST_SKIP() << services.why.toStdString();
    FeedBackConfig config = services.serve(QStringLiteral("/interface.php"));
    config.productName = QStringLiteral("Fennix Pro");
    config.productVersion = QStringLiteral("1.0");
    config.pid = QStringLiteral("42");
    window->setConfig(config);

    fillForm(QStringLiteral("user@example.org"), QStringLiteral("Nothing plays."));
    click("submitButton");
    EXPECT_EQ(window->sendState(), FeedBack::Sending);
    grab("sending");
    ASSERT_TRUE(waitForState(FeedBack::Succeed)) << window->lastError().toStdString();
    grab("succeeded");

    const QJsonObject got = services.smtp->nextMessage();
    EXPECT_EQ(got.value(QStringLiteral("to")).toArray().first().toString(), QStringLiteral("support@example.org"));
    const QJsonObject mail = parseMailWithPython(AiosmtpdServer::dataOf(got));
    if (mail.isEmpty())
        GTEST_SKIP() << "python3 is missing";
    const QJsonObject headers = mail.value(QStringLiteral("headers")).toObject();
    EXPECT_EQ(headers.value(QStringLiteral("Subject")).toString(),
              QStringLiteral("T#user@example.org#42#client:contact#Contact from product"));
    const QJsonArray parts = mail.value(QStringLiteral("parts")).toArray();
    ASSERT_EQ(parts.size(), 2);
    const QByteArray text = QByteArray::fromHex(parts[0].toObject().value(QStringLiteral("payload")).toString().toLatin1());
    EXPECT_TRUE(text.contains("Description:Nothing plays.")) << text.constData();
    EXPECT_FALSE(text.contains("(null)"));
    const QJsonObject attachment = parts[1].toObject();
    EXPECT_EQ(attachment.value(QStringLiteral("filename")).toString(), QStringLiteral("log.tar.gz"));
    const auto files = untar(QByteArray::fromHex(attachment.value(QStringLiteral("payload")).toString().toLatin1()));
    EXPECT_TRUE(files.contains(QStringLiteral("Log/FennixPro.log")));
    EXPECT_TRUE(files.contains(QStringLiteral("Log/DownloadFailedLog.plist")));
    ASSERT_EQ(namesUnder(files, QStringLiteral("Screen")).size(), 1);
    EXPECT_TRUE(namesUnder(files, QStringLiteral("Screen")).first().endsWith(QStringLiteral(".jpg")));
}

TEST_F(FeedBackTest, FallbackAccountGetsTheReportWhenTheFirstSendFails)
{
    Services services;
    if (!services.start())
        GTEST_SKIP() << services.why.toStdString();
    // The first account names a port where nothing listens.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 deadPort = closed.serverPort();
    closed.close();
    services.accounts->setResponse(QStringLiteral("/first"), services.account(QStringLiteral("sender@example.org"), deadPort));
    services.accounts->setResponse(QStringLiteral("/fallback"), services.account(QStringLiteral("fallback@example.org")));
    FeedBackConfig config;
    config.accountSource = services.accounts->url(QStringLiteral("/first"));
    config.fallbackAccountSource = services.accounts->url(QStringLiteral("/fallback"));
    config.supportMailbox = QStringLiteral("support@example.org");
    window->setConfig(config);

    fillForm(QStringLiteral("user@example.org"), QStringLiteral("fallback please"));
    click("submitButton");
    ASSERT_TRUE(waitForState(FeedBack::Succeed)) << window->lastError().toStdString();
    const QJsonObject got = services.smtp->nextMessage();
    EXPECT_EQ(got.value(QStringLiteral("to")).toArray().first().toString(), QStringLiteral("fallback@example.org"));
    EXPECT_EQ(got.value(QStringLiteral("from")).toString(), QStringLiteral("fallback@example.org"));
}

TEST_F(FeedBackTest, UnreachableAccountShowsFailedWithRetry)
{
    Services services;
    if (!services.start())
        GTEST_SKIP() << services.why.toStdString();
    FeedBackConfig config;
    config.accountSource = services.accounts->url(QStringLiteral("/nothing-here"));
    config.supportMailbox = QStringLiteral("support@example.org");
    window->setConfig(config);
    fillForm(QStringLiteral("user@example.org"), QStringLiteral("fails"));
    click("submitButton");
    ASSERT_TRUE(waitForState(FeedBack::Failed));
    EXPECT_EQ(window->stateText(), QStringLiteral("Submission failed. Please try again."));
    grab("failed");

    // Retry goes again, and succeeds once the account is there.
    services.accounts->setResponse(QStringLiteral("/nothing-here"), services.account(QStringLiteral("sender@example.org")));
    click("retryButton");
    ASSERT_TRUE(waitForState(FeedBack::Succeed)) << window->lastError().toStdString();
}

TEST_F(FeedBackTest, CancelThenQuickResubmitKeepsTheSecondJobsFiles)
{
    Services services;
    if (!services.start())
        GTEST_SKIP() << services.why.toStdString();
    window->setConfig(services.serve(QStringLiteral("/interface.php")));
    fillForm(QStringLiteral("user@example.org"), QStringLiteral("twice"));

    // The first job hangs on the account; the user leaves and submits again at once.
    services.accounts->setStalled(true);
    click("submitButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !services.accounts->requests().isEmpty(); }, 30000));
    click("sendingCancelButton");
    EXPECT_FALSE(window->isVisible());
    services.accounts->setStalled(false);
    // Opened again, as the main window does.
    window->resetFeedback();
    window->setScreenshot(testScreen());
    window->show();
    fillForm(QStringLiteral("user@example.org"), QStringLiteral("twice"));
    click("submitButton");
    ASSERT_TRUE(waitForState(FeedBack::Succeed)) << window->lastError().toStdString();

    const QJsonObject got = services.smtp->nextMessage();
    const QJsonObject mail = parseMailWithPython(AiosmtpdServer::dataOf(got));
    if (mail.isEmpty())
        GTEST_SKIP() << "python3 is missing";
    const QJsonArray parts = mail.value(QStringLiteral("parts")).toArray();
    ASSERT_EQ(parts.size(), 2);
    const auto files = untar(QByteArray::fromHex(parts[1].toObject().value(QStringLiteral("payload")).toString().toLatin1()));
    EXPECT_TRUE(files.contains(QStringLiteral("Log/FennixPro.log")));
    EXPECT_EQ(namesUnder(files, QStringLiteral("Screen")).size(), 1);
    EXPECT_TRUE(services.smtp->nextMessage(500).isEmpty()) << "the cancelled job sent nothing";
}

TEST(FeedBackRegistration, TheShellOpensTheFeedbackWindow)
{
    registerFeedbackWindow();
    // The window runs modally: close it from inside its loop.
    bool seen = false;
    QTimer::singleShot(0, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *feedback = qobject_cast<FeedBack *>(w); feedback && feedback->isVisible()) {
                seen = feedback->sendState() == FeedBack::WriteMessage;
                feedback->cancelSubmit();
            }
    });
    EXPECT_TRUE(ShellRegistry::openWindow(QStringLiteral("Feedback"), nullptr));
    EXPECT_TRUE(seen);
}
