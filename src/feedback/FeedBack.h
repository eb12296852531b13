#pragma once

#include "feedback/FeedBackSendJob.h"

#include <QDialog>
#include <QImage>
#include <QPointer>

#include <functional>
#include <memory>

class BackgroundView;
class MGCheckButton;
class MGHoverButton;
class MGProgressIndicator;
class PlaceHolderTextView;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QThread;

// The feedback window: the user's address and description, the logs and a screenshot
// attached on request; Submit sends them from a thread of their own and the window shows
// sending, succeeded or failed. A build with no feedback service says so and offers to
// save the report archive instead.
class FeedBack : public QDialog
{
    Q_OBJECT
public:
    enum FeedbackSendState { WriteMessage = 0, Sending = 1, Failed = 2, Succeed = 3, NotConfigured = 4 };

    explicit FeedBack(QWidget *parent = nullptr);
    ~FeedBack() override;

    QStringList productLogPaths() const { return m_productLogPaths; }
    void setProductLogPaths(const QStringList &paths) { m_productLogPaths = paths; }
    QString email() const { return m_email; }
    void setEmail(const QString &email) { m_email = email; }
    // Where the feedback goes; from the Info.plist unless set.
    void setConfig(const FeedBackConfig &config) { m_config = config; }
    FeedBackConfig config() const { return m_config; }
    // Asks where to save the report archive (a file dialog unless replaced).
    void setSaveFileChooser(std::function<QString()> chooser) { m_chooseSaveFile = std::move(chooser); }

    // Fresh form: guessed address, placeholder description, both boxes on, a new screenshot.
    void resetFeedback();
    // Centred over the parent frame; centred on the screen for an empty one.
    void setFrameOriginWithParentRect(const QRect &parentRect);

    int sendState() const { return m_state; }
    QString stateText() const;
    QString lastError() const { return m_lastError; }
    QImage screenshot() const { return m_screenshot; }
    void setScreenshot(const QImage &image);

    static bool isEmailValid(const QString &email);
    bool isProblemDescriptionValid() const;
    // An address from the user's mail client or git settings; empty when none is found.
    static QString findUserEmail();

    void clickSubmit();
    void cancelSubmit();
    void saveReport();

signals:
    void sendStateChanged(int state);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildWritePage();
    QWidget *buildStatePage(const QString &text, QLabel **label, const QString &iconSlice,
                            const QList<MGHoverButton *> &buttons, QLabel **iconView = nullptr);
    void setNotConfiguredIcon(const QString &slice);
    MGHoverButton *makeButton(const QString &title, const QString &name);
    void updateScreenShot();
    void _switchSendState(int state);
    void _cancelMessageSending();
    void jobEnded(FeedBackSendJob *job, int result);

    FeedBackConfig m_config;
    QStringList m_productLogPaths;
    QString m_email;
    int m_state = WriteMessage;
    QString m_lastError;
    QImage m_screenshot;
    QByteArray m_reportArchive;
    std::function<QString()> m_chooseSaveFile;

    std::shared_ptr<FeedBackSendJob> m_job;
    QList<QPointer<QThread>> m_threads;

    BackgroundView *m_titleBarView = nullptr;
    QStackedWidget *m_stateTabView = nullptr;
    QLineEdit *m_emailTextField = nullptr;
    PlaceHolderTextView *m_descriptionTextView = nullptr;
    MGCheckButton *m_logCheckBox = nullptr;
    MGCheckButton *m_screenCheckBox = nullptr;
    QLabel *m_screenImageView = nullptr;
    MGProgressIndicator *m_sendingProgressIndicator = nullptr;
    QLabel *m_messageSendingLabel = nullptr;
    QLabel *m_submitFailedLabel = nullptr;
    QLabel *m_submitSucceedLabel = nullptr;
    QLabel *m_notConfiguredLabel = nullptr;
    QLabel *m_notConfiguredIconView = nullptr;
    QLabel *m_attachmentUsageLabel = nullptr;
    MGHoverButton *m_submitBtn = nullptr;
    MGHoverButton *m_cancelBtn = nullptr;
    MGHoverButton *m_sendingCancelBtn = nullptr;
    MGHoverButton *m_failedRetryBtn = nullptr;
    MGHoverButton *m_failedExitBtn = nullptr;
    MGHoverButton *m_succeedOKBtn = nullptr;
    MGHoverButton *m_saveReportBtn = nullptr;
    MGHoverButton *m_notConfiguredExitBtn = nullptr;
};
