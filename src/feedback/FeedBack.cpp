#include "feedback/FeedBack.h"

#include "controls/BackgroundView.h"
#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "controls/MGProgressIndicator.h"
#include "controls/PlaceHolderTextView.h"
#include "outside/crashreporter/BugSplat.h"
#include "platform/MainBundle.h"
#include "platform/SafeFileReader.h"
#include "platform/log/ScribletLogger.h"
#include "shell/GolobFun.h"
#include "shell/NSWindowCommon.h"
#include "shell/UIManager.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScreen>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QThread>
#include <QVBoxLayout>

namespace {

QString loc(const char *text)
{
    return MainBundle::localizedString(text);
}

const QRegularExpression &emailPattern()
{
    static const QRegularExpression re(QStringLiteral("^\\w+([-+.]\\w+)*@\\w+([-.]\\w+)*\\.\\w+([-.]\\w+)*$"));
    return re;
}

// The first address in a Thunderbird profile's settings ("mail.identity.*.useremail").
QString emailFromMailClient()
{
    const QString home = QDir::homePath();
    static const QRegularExpression pref(QStringLiteral("user_pref\\(\"mail\\.identity\\.[^\"]+\\.useremail\",\\s*\"([^\"]+)\"\\)"));
    for (const QString &root : {home + QStringLiteral("/.thunderbird"), home + QStringLiteral("/snap/thunderbird/common/.thunderbird")}) {
        QDirIterator it(root, {QStringLiteral("prefs.js")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (!SafeFileReader::open(f) || f.size() > 4 * 1024 * 1024)
                continue;
            const auto m = pref.match(QString::fromUtf8(f.readAll()));
            if (m.hasMatch() && FeedBack::isEmailValid(m.captured(1)))
                return m.captured(1);
        }
    }
    return {};
}

// user.email of the user's git settings.
QString emailFromGitConfig()
{
    const QString xdg = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    for (const QString &path : {QDir::homePath() + QStringLiteral("/.gitconfig"), xdg + QStringLiteral("/git/config")}) {
        QFile f(path);
        if (!SafeFileReader::open(f) || f.size() > 1024 * 1024)
            continue;
        bool inUser = false;
        for (const QByteArray &raw : f.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.startsWith(QLatin1Char('[')))
                inUser = line.startsWith(QLatin1String("[user"));
            else if (inUser && line.section(QLatin1Char('='), 0, 0).trimmed() == QLatin1String("email")) {
                const QString email = line.section(QLatin1Char('='), 1).trimmed();
                if (FeedBack::isEmailValid(email))
                    return email;
            }
        }
    }
    return {};
}

QString notConfiguredText()
{
    return loc("No feedback service is configured in this build, so the report cannot be mailed. "
               "Save the report archive and send it to the developers yourself.");
}

QLabel *makeLabel(const QString &text, QWidget *parent, int pointSize = 12)
{
    auto *label = new QLabel(text, parent);
    QFont f = label->font();
    f.setPointSize(pointSize);
    label->setFont(f);
    label->setWordWrap(true);
    return label;
}

}

FeedBack::FeedBack(QWidget *parent) : QDialog(parent), m_config(FeedBackConfig::fromInfoPlist())
{
    setObjectName(QStringLiteral("FeedBackWinCtrl"));
    setWindowTitle(loc("Feedback"));
    setModal(true);
    setFocusPolicy(Qt::StrongFocus);
    resize(560, 540);
    NSWindowCommon::zoomButtonHidden(this, true);
    NSWindowCommon::miniButtonHidden(this, true);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    m_titleBarView = new BackgroundView(this);
    m_titleBarView->setBackgroundColor(QColor(Qt::white), false);
    m_titleBarView->setBottomLineColor(QColor::fromRgbF(0.876f, 0.884f, 0.888f), false);
    m_titleBarView->setBoundsToMask(1);
    m_titleBarView->setFixedHeight(36);
    auto *titleLayout = new QHBoxLayout(m_titleBarView);
    titleLayout->setContentsMargins(16, 0, 16, 0);
    auto *title = makeLabel(loc("Feedback"), m_titleBarView, 13);
    title->setAlignment(Qt::AlignCenter);
    titleLayout->addWidget(title);
    root->addWidget(m_titleBarView);

    m_stateTabView = new QStackedWidget(this);
    m_stateTabView->addWidget(buildWritePage());

    m_sendingCancelBtn = makeButton(loc("Cancel"), QStringLiteral("sendingCancelButton"));
    QWidget *sending = buildStatePage(loc("Sending message..."), &m_messageSendingLabel, QString(), {m_sendingCancelBtn});
    m_sendingProgressIndicator = new MGProgressIndicator(sending);
    m_sendingProgressIndicator->setIndeterminate(true);
    m_sendingProgressIndicator->setFixedSize(48, 48);
    static_cast<QVBoxLayout *>(sending->layout())->insertWidget(1, m_sendingProgressIndicator, 0, Qt::AlignHCenter);
    m_stateTabView->addWidget(sending);

    m_failedExitBtn = makeButton(loc("Exit"), QStringLiteral("failedExitButton"));
    m_failedRetryBtn = makeButton(loc("Retry"), QStringLiteral("retryButton"));
    m_stateTabView->addWidget(buildStatePage(loc("Submission failed. Please try again."), &m_submitFailedLabel,
                                             QStringLiteral("toolbox-120_"), {m_failedExitBtn, m_failedRetryBtn}));
    m_succeedOKBtn = makeButton(loc("OK"), QStringLiteral("okButton"));
    m_stateTabView->addWidget(buildStatePage(loc("Submit Successfully!"), &m_submitSucceedLabel,
                                             QStringLiteral("toolbox-111_"), {m_succeedOKBtn}));
    m_notConfiguredExitBtn = makeButton(loc("Exit"), QStringLiteral("notConfiguredExitButton"));
    m_saveReportBtn = makeButton(loc("Save Report..."), QStringLiteral("saveReportButton"));
    m_stateTabView->addWidget(buildStatePage(notConfiguredText(), &m_notConfiguredLabel, QStringLiteral("toolbox-120_"),
                                             {m_notConfiguredExitBtn, m_saveReportBtn}, &m_notConfiguredIconView));
    m_notConfiguredIconView->setObjectName(QStringLiteral("notConfiguredIconView"));
    root->addWidget(m_stateTabView, 1);

    connect(m_submitBtn, &QAbstractButton::clicked, this, &FeedBack::clickSubmit);
    connect(m_failedRetryBtn, &QAbstractButton::clicked, this, &FeedBack::clickSubmit);
    for (MGHoverButton *b : {m_cancelBtn, m_sendingCancelBtn, m_failedExitBtn, m_succeedOKBtn, m_notConfiguredExitBtn})
        connect(b, &QAbstractButton::clicked, this, &FeedBack::cancelSubmit);
    connect(m_saveReportBtn, &QAbstractButton::clicked, this, &FeedBack::saveReport);
    connect(m_emailTextField, &QLineEdit::editingFinished, this, [this] {
        m_emailTextField->setText(m_emailTextField->text().trimmed());
    });
    _switchSendState(WriteMessage);
}

FeedBack::~FeedBack()
{
    _cancelMessageSending();
    // A job that is still talking to a server finishes on its own; its thread must not
    // outlive the program's objects, so wait for it here.
    for (const QPointer<QThread> &t : std::as_const(m_threads))
        if (t)
            t->wait();
}

MGHoverButton *FeedBack::makeButton(const QString &title, const QString &name)
{
    auto *b = new MGHoverButton(this);
    b->setObjectName(name);
    b->setButtonDisplayType(MGHoverButton::DisplayAccentText);
    b->setTitle(title);
    QFont f = b->font();
    f.setPointSize(11);
    b->setFont(f);
    b->setMinimumSize(96, 30);
    return b;
}

QWidget *FeedBack::buildWritePage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("WriteMessage"));
    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(24, 16, 24, 16);
    v->setSpacing(10);

    auto *greeting = makeLabel(loc("We'd love to hear from you!"), page, 15);
    greeting->setStyleSheet(QStringLiteral("color: rgb(32, 192, 91);"));
    v->addWidget(greeting);

    auto *emailRow = new QHBoxLayout;
    auto *emailLabel = makeLabel(loc("Email:"), page);
    emailLabel->setWordWrap(false);
    m_emailTextField = new QLineEdit(page);
    m_emailTextField->setObjectName(QStringLiteral("emailField"));
    m_emailTextField->setPlaceholderText(loc("Your email address, so we can answer you"));
    m_emailTextField->setMinimumHeight(28);
    emailRow->addWidget(emailLabel);
    emailRow->addWidget(m_emailTextField, 1);
    v->addLayout(emailRow);

    m_descriptionTextView = new PlaceHolderTextView(page);
    m_descriptionTextView->setObjectName(QStringLiteral("descriptionView"));
    m_descriptionTextView->setPlaceHolderStr(
        loc("Please describe the problem or your suggestion for %1. The more details, the better we can help.")
            .arg(MainBundle::infoString(QStringLiteral("CFBundleDisplayName"))));
    m_descriptionTextView->setMinimumHeight(150);
    v->addWidget(m_descriptionTextView, 1);

    auto *attachRow = new QHBoxLayout;
    auto *boxes = new QVBoxLayout;
    m_logCheckBox = new MGCheckButton(page);
    m_logCheckBox->setObjectName(QStringLiteral("logCheckBox"));
    m_logCheckBox->setTitle(loc("Attach a file"));
    m_screenCheckBox = new MGCheckButton(page);
    m_screenCheckBox->setObjectName(QStringLiteral("screenCheckBox"));
    m_screenCheckBox->setTitle(loc("Include a screenshot:"));
    boxes->addWidget(m_logCheckBox);
    boxes->addWidget(m_screenCheckBox);
    m_attachmentUsageLabel = makeLabel(
        MainBundle::localizedString(QStringLiteral("Attachment Usage tip"), QStringLiteral("FeedBackWinCtrl")), page, 10);
    m_attachmentUsageLabel->setObjectName(QStringLiteral("attachmentUsageLabel"));
    m_attachmentUsageLabel->setStyleSheet(QStringLiteral("color: rgb(128, 128, 128);"));
    boxes->addWidget(m_attachmentUsageLabel);
    boxes->addStretch(1);
    attachRow->addLayout(boxes, 1);
    m_screenImageView = new QLabel(page);
    m_screenImageView->setFixedSize(176, 110);
    m_screenImageView->setAlignment(Qt::AlignCenter);
    m_screenImageView->setStyleSheet(QStringLiteral("border: 1px solid rgb(210, 210, 210); background: white;"));
    attachRow->addWidget(m_screenImageView, 0, Qt::AlignTop);
    v->addLayout(attachRow);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cancelBtn = makeButton(loc("Cancel"), QStringLiteral("cancelButton"));
    m_submitBtn = makeButton(loc("Submit"), QStringLiteral("submitButton"));
    buttons->addWidget(m_cancelBtn);
    buttons->addWidget(m_submitBtn);
    v->addLayout(buttons);
    return page;
}

QWidget *FeedBack::buildStatePage(const QString &text, QLabel **label, const QString &iconSlice,
                                  const QList<MGHoverButton *> &buttons, QLabel **iconView)
{
    auto *page = new QWidget(this);
    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(32, 32, 32, 24);
    v->addStretch(1);
    auto *icon = new QLabel(page);
    icon->setAlignment(Qt::AlignCenter);
    if (!iconSlice.isEmpty()) {
        const QImage image = UIManager::sliceNamedInToolbox(iconSlice);
        if (!image.isNull())
            icon->setPixmap(QPixmap::fromImage(image));
    }
    v->addWidget(icon);
    if (iconView)
        *iconView = icon;
    *label = makeLabel(text, page, 14);
    (*label)->setAlignment(Qt::AlignCenter);
    // Wrapped texts get their height from this width.
    (*label)->setFixedWidth(460);
    v->addWidget(*label, 0, Qt::AlignHCenter);
    v->addStretch(1);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (MGHoverButton *b : buttons) {
        b->setParent(page);
        row->addWidget(b);
    }
    row->addStretch(1);
    v->addLayout(row);
    return page;
}

void FeedBack::resetFeedback()
{
    const QString address = !m_email.isEmpty() ? m_email : findUserEmail();
    m_emailTextField->setText(address);
    m_descriptionTextView->setPlaceHolderStr(m_descriptionTextView->placeHolderStr());
    m_logCheckBox->setState(1);
    m_screenCheckBox->setState(1);
    updateScreenShot();
    _switchSendState(WriteMessage);
    // No field keeps the focus, so both placeholders show until the user clicks.
    setFocus(Qt::OtherFocusReason);
}

void FeedBack::updateScreenShot()
{
    QImage image;
    if (QScreen *screen = QGuiApplication::primaryScreen())
        image = screen->grabWindow(0).toImage();
    setScreenshot(image);
}

void FeedBack::setScreenshot(const QImage &image)
{
    m_screenshot = image;
    if (image.isNull())
        m_screenImageView->clear();
    else
        m_screenImageView->setPixmap(QPixmap::fromImage(image.scaled(m_screenImageView->size() - QSize(4, 4),
                                                                    Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void FeedBack::setFrameOriginWithParentRect(const QRect &parentRect)
{
    if (parentRect.isNull() || parentRect.isEmpty()) {
        if (QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        return;
    }
    move(parentRect.x() + (parentRect.width() - frameGeometry().width()) / 2,
         parentRect.y() + (parentRect.height() - frameGeometry().height()) / 2);
}

bool FeedBack::isEmailValid(const QString &email)
{
    return emailPattern().match(email).hasMatch();
}

bool FeedBack::isProblemDescriptionValid() const
{
    const QString text = m_descriptionTextView->userText().trimmed();
    return !text.isEmpty() && text != m_descriptionTextView->placeHolderStr();
}

QString FeedBack::findUserEmail()
{
    QString email = emailFromMailClient();
    if (email.isEmpty())
        email = emailFromGitConfig();
    return email;
}

QString FeedBack::stateText() const
{
    switch (m_state) {
    case Sending:
        return m_messageSendingLabel->text();
    case Failed:
        return m_submitFailedLabel->text();
    case Succeed:
        return m_submitSucceedLabel->text();
    case NotConfigured:
        return m_notConfiguredLabel->text();
    default:
        return {};
    }
}

void FeedBack::clickSubmit()
{
    if (!isProblemDescriptionValid()) {
        if (m_state != WriteMessage)
            _switchSendState(WriteMessage);
        NSWindowCommon::shakeWindow(this);
        m_descriptionTextView->setFocus();
        return;
    }
    if (!isEmailValid(m_emailTextField->text().trimmed())) {
        if (m_state != WriteMessage)
            _switchSendState(WriteMessage);
        NSWindowCommon::shakeWindow(this);
        m_emailTextField->setFocus();
        return;
    }
    _cancelMessageSending();

    // The form is read here, on the GUI thread; the job never touches a widget.
    FeedBackConfig config = m_config;
    config.productLogPaths = m_productLogPaths;
    if (config.crashReportsFolder.isEmpty())
        config.crashReportsFolder = BugSplat::reportsFolder();
    config.failedURLs = GolobFun::getLastFailedURLS();
    FeedBackForm form;
    form.includeLogs = m_logCheckBox->state() == 1;
    form.email = m_emailTextField->text().trimmed();
    form.description = m_descriptionTextView->userText();
    if (m_screenCheckBox->state() == 1 && !m_screenshot.isNull()) {
        QBuffer buffer(&form.screenshotJpeg);
        buffer.open(QIODevice::WriteOnly);
        m_screenshot.save(&buffer, "JPG", 60);
    }

    auto job = std::make_shared<FeedBackSendJob>(std::move(config), std::move(form));
    m_job = job;
    QPointer<FeedBack> self(this);
    QThread *thread = QThread::create([job, self] {
        const auto result = job->run();
        QMetaObject::invokeMethod(qApp, [job, self, result] {
            if (self)
                self->jobEnded(job.get(), int(result));
        }, Qt::QueuedConnection);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    m_threads.removeAll(nullptr);
    m_threads.append(thread);
    thread->start();
    _switchSendState(Sending);
}

void FeedBack::jobEnded(FeedBackSendJob *job, int result)
{
    // A cancelled job's end is not shown.
    if (job != m_job.get() || job->isCancelled())
        return;
    m_lastError = job->errorText();
    m_reportArchive = job->reportArchive();
    m_job.reset();
    switch (FeedBackSendJob::Result(result)) {
    case FeedBackSendJob::Result::Sent:
        ScribletLogInfo(QStringLiteral("feedback sent"));
        _switchSendState(Succeed);
        break;
    case FeedBackSendJob::Result::NotConfigured:
        ScribletLogInfo(QStringLiteral("feedback not sent: no feedback service is configured"));
        _switchSendState(NotConfigured);
        break;
    case FeedBackSendJob::Result::Failed:
        ScribletLogInfo(QStringLiteral("feedback failed: %1").arg(m_lastError));
        _switchSendState(Failed);
        break;
    case FeedBackSendJob::Result::Cancelled:
        break;
    }
}

void FeedBack::saveReport()
{
    if (m_reportArchive.isEmpty()) {
        m_notConfiguredLabel->setText(loc("The report could not be made, so there is nothing to save."));
        return;
    }
    const QString path = m_chooseSaveFile
        ? m_chooseSaveFile()
        : QFileDialog::getSaveFileName(this, loc("Save Report"),
                                       QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                           .filePath(QStringLiteral("feedback-report.tar.gz")),
                                       loc("Archives (*.tar.gz)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(m_reportArchive) == m_reportArchive.size() && file.commit()) {
        m_notConfiguredLabel->setText(loc("The report was saved to %1.").arg(QDir::toNativeSeparators(path)));
        setNotConfiguredIcon(QStringLiteral("toolbox-111_"));
    } else
        m_notConfiguredLabel->setText(loc("The report could not be saved to %1: %2")
                                          .arg(QDir::toNativeSeparators(path), file.errorString()));
}

void FeedBack::cancelSubmit()
{
    _cancelMessageSending();
    reject();
}

void FeedBack::closeEvent(QCloseEvent *event)
{
    _cancelMessageSending();
    QDialog::closeEvent(event);
}

void FeedBack::_cancelMessageSending()
{
    if (m_job)
        m_job->cancel();
    m_job.reset();
}

void FeedBack::_switchSendState(int state)
{
    m_sendingProgressIndicator->stopAnimation();
    if (state < WriteMessage || state > NotConfigured)
        state = WriteMessage;
    m_state = state;
    m_stateTabView->setCurrentIndex(state);
    if (state == Sending)
        m_sendingProgressIndicator->startAnimation();
    if (state == NotConfigured) {
        m_notConfiguredLabel->setText(notConfiguredText());
        setNotConfiguredIcon(QStringLiteral("toolbox-120_"));
    }
    emit sendStateChanged(state);
}

void FeedBack::setNotConfiguredIcon(const QString &slice)
{
    m_notConfiguredIconView->setProperty("slice", slice);
    const QImage image = UIManager::sliceNamedInToolbox(slice);
    if (image.isNull())
        m_notConfiguredIconView->clear();
    else
        m_notConfiguredIconView->setPixmap(QPixmap::fromImage(image));
}
