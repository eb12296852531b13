#include "downloads/DownloadingActionViewCtrl.h"

#include "controls/MGHoverButton.h"
#include "downloads/ReelgrabingUI.h"
#include "platform/MainBundle.h"

DownloadingActionViewCtrl::DownloadingActionViewCtrl(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_deleteButton = makeButton(Delete, QStringLiteral("mainform-577"), QStringLiteral("mainform-579"),
                                MainBundle::localizedString("Delete"));
    m_pauseButton = makeButton(Pause, QStringLiteral("mainform-761"), QStringLiteral("mainform-763"),
                               MainBundle::localizedString("Pause"));
    m_retryButton = makeButton(Retry, QStringLiteral("mainform-753"), QStringLiteral("mainform-754"),
                               MainBundle::localizedString("Retry"));
    m_resumeButton = makeButton(Resume, QStringLiteral("mainform-769"), QStringLiteral("mainform-771"),
                                MainBundle::localizedString("Resume"));
    m_stopButton = makeButton(Stop, QStringLiteral("mainform-745"), QStringLiteral("mainform-747"),
                              MainBundle::localizedString("Stop"));
    resize(Width, 81);
}

MGHoverButton *DownloadingActionViewCtrl::makeButton(ActionType type, const QString &normal,
                                                    const QString &alternate, const QString &tip)
{
    auto *b = new MGHoverButton(this);
    b->setImageName(QStringLiteral("mainform"));
    b->setNormalSliceName(normal);
    b->setHoverSliceName(alternate);
    b->setDownSliceName(alternate);
    b->setDisableSliceName(normal);
    b->setToolTip(tip);
    b->resize(28, 28);
    b->hide();
    b->setEnabled(false);
    connect(b, &MGHoverButton::clicked, this, [this, type] {
        if (m_delegate)
            m_delegate(type);
    });
    return b;
}

MGHoverButton *DownloadingActionViewCtrl::button(ActionType type) const
{
    switch (type) {
    case Delete:
        return m_deleteButton;
    case Pause:
        return m_pauseButton;
    case Retry:
        return m_retryButton;
    case Resume:
        return m_resumeButton;
    case Stop:
        return m_stopButton;
    }
    return nullptr;
}

void DownloadingActionViewCtrl::setButtonStateWithTaskState(int status)
{
    const ReelgrabingUI::ButtonStates s = ReelgrabingUI::actionButtonsForStatus(status);
    ReelgrabingUI::applyButtonStates(s, {m_deleteButton, m_pauseButton, m_retryButton, m_resumeButton, m_stopButton});
    layoutButtons();
}

void DownloadingActionViewCtrl::displayWithReelgrabTask()
{
    m_deleteButton->show();
    m_deleteButton->setEnabled(true);
    layoutButtons();
}

void DownloadingActionViewCtrl::layoutButtons()
{
    // Visible buttons from the right edge leftwards, delete outermost.
    int x = width() - 24 - 28;
    const int y = (qMin(height(), 81) - 28) / 2;
    for (MGHoverButton *b : {m_deleteButton, m_stopButton, m_resumeButton, m_retryButton, m_pauseButton}) {
        if (b->isHidden())
            continue;
        b->move(x, y);
        x -= 28 + 12;
    }
}
