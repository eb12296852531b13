#include "shell/CountDownSheet.h"

#include "controls/MGHoverButton.h"
#include "platform/MainBundle.h"
#include "shell/AfterTasksAction.h"

#include <QLabel>

namespace {
int g_tickMs = 1000;
} // namespace

void CountDownSheet::setTickForTesting(int ms)
{
    g_tickMs = ms > 0 ? ms : 1000;
}

CountDownSheet::CountDownSheet(QWidget *window) : ShellDialog(window)
{
    setObjectName(QStringLiteral("CountDownSheet"));
    setWindowModality(Qt::WindowModal);
    resize(420, 160);
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignCenter);
    QFont f = m_text->font();
    f.setPixelSize(14);
    m_text->setFont(f);
    m_text->setStyleSheet(QStringLiteral("color: #2f3439;"));
    m_text->setGeometry(24, TitleStripHeight + 14, 372, 56);
    m_cancel = new MGHoverButton(this);
    m_now = new MGHoverButton(this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_now->setObjectName(QStringLiteral("nowButton"));
    m_cancel->setButtonDisplayType(MGHoverButton::DisplayAccentText);
    m_now->setButtonDisplayType(MGHoverButton::DisplayFilled);
    m_cancel->setTitle(MainBundle::localizedString("Cancel"));
    m_now->setTitle(MainBundle::localizedString("Do it Now"));
    m_cancel->setGeometry(102, 110, 100, 32);
    m_now->setGeometry(218, 110, 100, 32);
    connect(m_cancel, &QAbstractButton::clicked, this, &CountDownSheet::cancel);
    connect(m_now, &QAbstractButton::clicked, this, &CountDownSheet::runNow);
    connect(&m_timer, &QTimer::timeout, this, &CountDownSheet::tick);
    connect(this, &QDialog::rejected, this, [this] { m_timer.stop(); });
}

QString CountDownSheet::textForMode(int mode, int seconds)
{
    switch (mode) {
    case AfterTasksAction::ShutDown:
        return MainBundle::localizedString("All tasks are done. Your computer will shut down in %1 seconds.").arg(seconds);
    case AfterTasksAction::Sleep:
        return MainBundle::localizedString("All tasks are done. Your computer will go to sleep in %1 seconds.").arg(seconds);
    default:
        return MainBundle::localizedString("All tasks are done. Fennix Pro will quit in %1 seconds.").arg(seconds);
    }
}

void CountDownSheet::countDownByCode(int mode, int seconds, Done done)
{
    m_mode = mode;
    m_remaining = std::max(0, seconds);
    m_done = std::move(done);
    m_text->setText(textForMode(m_mode, m_remaining));
    if (QWidget *w = parentWidget()) {
        // Hang from the top of the window, centred.
        const QRect f = w->geometry();
        move(f.x() + (f.width() - width()) / 2, f.y() + 60);
    }
    show();
    raise();
    m_timer.start(g_tickMs);
}

void CountDownSheet::tick()
{
    --m_remaining;
    if (m_remaining <= 0) {
        finish(true);
        return;
    }
    m_text->setText(textForMode(m_mode, m_remaining));
}

void CountDownSheet::cancel()
{
    finish(false);
}

void CountDownSheet::runNow()
{
    finish(true);
}

void CountDownSheet::finish(bool run)
{
    m_timer.stop();
    Done done = std::move(m_done);
    m_done = nullptr;
    hide();
    QDialog::done(run ? 1 : 0);
    if (run && done)
        done(m_mode);
}
