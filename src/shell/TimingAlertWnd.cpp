#include "shell/TimingAlertWnd.h"

#include "controls/MGHoverButton.h"
#include "platform/MainBundle.h"
#include "shell/TimingAlertWndDelegate.h"

#include <QLabel>

TimingAlertWnd::TimingAlertWnd(QWidget *window) : ShellDialog(window)
{
    setObjectName(QStringLiteral("TimingAlertWnd"));
    setWindowModality(Qt::WindowModal);
    resize(420, 160);
    m_lblTiming = new QLabel(this);
    m_lblTiming->setWordWrap(true);
    m_lblTiming->setAlignment(Qt::AlignCenter);
    QFont f = m_lblTiming->font();
    f.setPixelSize(14);
    m_lblTiming->setFont(f);
    m_lblTiming->setStyleSheet(QStringLiteral("color: #2f3439;"));
    m_lblTiming->setGeometry(24, TitleStripHeight + 14, 372, 56);
    m_btnCancel = new MGHoverButton(this);
    m_btnCommitNow = new MGHoverButton(this);
    m_btnCancel->setObjectName(QStringLiteral("cancelButton"));
    m_btnCommitNow->setObjectName(QStringLiteral("nowButton"));
    for (MGHoverButton *b : {m_btnCancel, m_btnCommitNow})
        b->setButtonDisplayType(MGHoverButton::DisplayDialog);
    m_btnCancel->setTitle(MainBundle::localizedString("Cancel"));
    m_btnCancel->setGeometry(92, 110, 110, 32);
    // The now button is 10 points wider, to the left: "Shutdown Now" is the longest title.
    m_btnCommitNow->setGeometry(208, 110, 120, 32);
    m_timer.setInterval(TickMs);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &TimingAlertWnd::clickCancelButton);
    connect(m_btnCommitNow, &QAbstractButton::clicked, this, &TimingAlertWnd::clickNowButton);
    connect(&m_timer, &QTimer::timeout, this, &TimingAlertWnd::timerFired);
    // Closed by its close button or Escape: a cancel, never the action.
    connect(this, &QDialog::rejected, this, [this] {
        if (m_timer.isActive())
            finish(false);
    });
}

TimingAlertWnd::~TimingAlertWnd()
{
    m_timer.stop();
    m_delegate = nullptr;
}

QString TimingAlertWnd::nowTitleForCode(int code)
{
    switch (code) {
    case 2: return MainBundle::localizedString("Shutdown Now");
    case 3: return MainBundle::localizedString("Sleep Now");
    case 4: return MainBundle::localizedString("Quit Now");
    default: return QString();
    }
}

QString TimingAlertWnd::textForCode(int code, int seconds)
{
    const char *format = nullptr;
    switch (code) {
    case 2: format = "Shutdown in %d seconds."; break;
    case 3: format = "Sleep in %d seconds."; break;
    // The application that quits is this one, whatever name another build carries.
    case 4: format = "Quit Fennix Pro in %d seconds."; break;
    default: return QString();
    }
    return MainBundle::localizedString(format).replace(QLatin1String("%d"), QString::number(seconds));
}

void TimingAlertWnd::countDownByCode(int code, int duration, QWidget *forWindow)
{
    m_nCode = code;
    m_nDuration = duration;
    const QString now = nowTitleForCode(code);
    if (!now.isEmpty())
        m_btnCommitNow->setTitle(now);
    m_btnCancel->setTitle(MainBundle::localizedString("Cancel"));
    // The sheet is reused: until the first tick it says how long this wait is, not what the
    // previous count-down said last.
    const QString text = textForCode(code, duration);
    if (!text.isEmpty())
        m_lblTiming->setText(text);
    m_timer.stop();
    if (QWidget *w = forWindow ? forWindow : parentWidget()) {
        // Hang from the top of the window, centred.
        const QRect f = w->geometry();
        move(f.x() + (f.width() - width()) / 2, f.y() + 60);
    }
    show();
    raise();
    m_timer.start();
}

void TimingAlertWnd::timerFired()
{
    // A tick after the end (cancelled, or acted on) must never act again.
    if (!m_timer.isActive())
        return;
    m_nDuration -= m_timer.interval() / 1000;
    if (m_nDuration < 0) {
        // Below zero: as if the now button were pressed (30 s: acts on the 31st tick).
        clickNowButton();
        return;
    }
    const QString text = textForCode(m_nCode, m_nDuration);
    if (!text.isEmpty())
        m_lblTiming->setText(text);
}

void TimingAlertWnd::clickNowButton()
{
    finish(true);
}

void TimingAlertWnd::clickCancelButton()
{
    finish(false);
}

void TimingAlertWnd::finish(bool execute)
{
    m_timer.stop();
    hide();
    QDialog::done(execute ? 1 : 0);
    if (!m_delegate)
        return;
    if (execute)
        m_delegate->excuteTaskRightNowByCode(m_nCode);
    else
        m_delegate->cancelTimingTask();
}
