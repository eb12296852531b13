#include "downloads/DownloadedActionViewCtrl.h"

#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"

#include <QMouseEvent>
#include <QRegion>

namespace {

void setImages(MGHoverButton *b, const QString &normal, const QString &alternate)
{
    b->setImageName(QStringLiteral("mainform"));
    b->setNormalSliceName(normal);
    b->setHoverSliceName(alternate);
    b->setDownSliceName(alternate);
    b->setDisableSliceName(normal);
    b->update();
}

constexpr int ButtonSize = 28;
constexpr int ButtonGap = 12;
constexpr int RightMargin = 24;

} // namespace

// PauseConverterButton ------------------------------------------------------------------------

PauseConverterButton::PauseConverterButton(QWidget *parent)
    : MGHoverButton(parent)
{
}

void PauseConverterButton::mousePressEvent(QMouseEvent *event)
{
    m_swallowRelease = false;
    MGHoverButton::mousePressEvent(event);
}

void PauseConverterButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click: it must neither toggle the button again nor fall
    // through to the control below, so it is taken here together with its release.
    if (!m_ignoresMultiClick) {
        ScribletLogInfo(QStringLiteral("setIgnoresMultiClick"));
        m_ignoresMultiClick = true;
    }
    m_swallowRelease = true;
    event->accept();
}

void PauseConverterButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_swallowRelease) {
        m_swallowRelease = false;
        setDown(false);
        event->accept();
        return;
    }
    MGHoverButton::mouseReleaseEvent(event);
}

// DownloadedActionViewCtrl --------------------------------------------------------------------

DownloadedActionViewCtrl::DownloadedActionViewCtrl(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DownloadedActionViewCtrl"));
    setAttribute(Qt::WA_TranslucentBackground);
    auto make = [this](MGHoverButton *b, const QString &normal, const QString &alternate, const char *tip) {
        setImages(b, normal, alternate);
        b->setToolTip(MainBundle::localizedString(tip));
        b->resize(ButtonSize, ButtonSize);
        b->hide();
        return b;
    };
    m_deleteButton = make(new MGHoverButton(this), QStringLiteral("mainform-577"), QStringLiteral("mainform-579"), "Delete");
    m_converterButton =
        make(new MGHoverButton(this), QStringLiteral("mainform-712"), QStringLiteral("mainform-716"), "Add to Convert");
    m_transferButton =
        make(new MGHoverButton(this), QStringLiteral("mainform-728"), QStringLiteral("mainform-730"), "Add to Transfer");
    m_pauseButton = new PauseConverterButton(this);
    make(m_pauseButton, QStringLiteral("mainform-761"), QStringLiteral("mainform-763"), "Pause");
    m_deleteConverterButton =
        make(new MGHoverButton(this), QStringLiteral("mainform-745"), QStringLiteral("mainform-747"), "Stop");
    m_deleteButton->setObjectName(QStringLiteral("deleteButton"));
    m_converterButton->setObjectName(QStringLiteral("converterButton"));
    m_transferButton->setObjectName(QStringLiteral("transferButton"));
    m_pauseButton->setObjectName(QStringLiteral("pauseButton"));
    m_deleteConverterButton->setObjectName(QStringLiteral("deleteConverterButton"));

    connect(m_deleteButton, &QAbstractButton::clicked, this, &DownloadedActionViewCtrl::clickDelete);
    connect(m_converterButton, &QAbstractButton::clicked, this, &DownloadedActionViewCtrl::clickConverter);
    connect(m_transferButton, &QAbstractButton::clicked, this, &DownloadedActionViewCtrl::clickTransfer);
    connect(m_deleteConverterButton, &QAbstractButton::clicked, this, &DownloadedActionViewCtrl::clickStopConverter);
    connect(m_pauseButton, &QAbstractButton::clicked, this, [this] {
        if (m_pauseButtonPausing)
            pauseConverter();
        else
            resumeConverter();
    });
    resize(Width, Height);
}

DownloadedActionViewCtrl::~DownloadedActionViewCtrl() = default;

void DownloadedActionViewCtrl::send(int type)
{
    if (m_delegate)
        m_delegate->downloadedActionChangedWithType(type);
}

void DownloadedActionViewCtrl::setModeButtons(DisplayMode mode, bool del, bool convert, bool transfer)
{
    m_displayMode = mode;
    m_deleteButton->setVisible(del);
    m_converterButton->setVisible(convert);
    m_transferButton->setVisible(transfer);
    layoutButtons();
}

void DownloadedActionViewCtrl::displayWithDownloaed() { setModeButtons(ModeDownloaded, true, true, true); }
void DownloadedActionViewCtrl::displayWithOnlyDelete() { setModeButtons(ModeOnlyDelete, true, false, false); }
void DownloadedActionViewCtrl::displayWithConverter() { setModeButtons(ModeConverter, true, false, false); }
void DownloadedActionViewCtrl::displayWithConverterFinish() { setModeButtons(ModeConverterFinish, true, false, true); }
void DownloadedActionViewCtrl::displayWithConvertering() { setModeButtons(ModeConvertering, false, false, false); }

void DownloadedActionViewCtrl::setTaskButtonsVisible(bool visible)
{
    m_pauseButton->setVisible(visible);
    m_deleteConverterButton->setVisible(visible);
    layoutButtons();
}

void DownloadedActionViewCtrl::setPauseAction()
{
    m_pauseButtonPausing = true;
    setImages(m_pauseButton, QStringLiteral("mainform-761"), QStringLiteral("mainform-763"));
    m_pauseButton->setToolTip(MainBundle::localizedString("Pause"));
}

void DownloadedActionViewCtrl::setStartAction()
{
    m_pauseButtonPausing = false;
    setImages(m_pauseButton, QStringLiteral("mainform-769"), QStringLiteral("mainform-771"));
    m_pauseButton->setToolTip(MainBundle::localizedString("Resume"));
}

void DownloadedActionViewCtrl::clickDelete() { send(Delete); }
void DownloadedActionViewCtrl::clickConverter() { send(Convert); }
void DownloadedActionViewCtrl::clickTransfer() { send(Transfer); }
void DownloadedActionViewCtrl::clickStopConverter() { send(Stop); }

void DownloadedActionViewCtrl::pauseConverter()
{
    send(Pause);
    setStartAction();
}

void DownloadedActionViewCtrl::resumeConverter()
{
    send(Resume);
    setPauseAction();
}

void DownloadedActionViewCtrl::resizeEvent(QResizeEvent *)
{
    layoutButtons();
}

void DownloadedActionViewCtrl::layoutButtons()
{
    // Shown buttons from the right edge leftwards, delete outermost, centred on the item part.
    int x = width() - RightMargin - ButtonSize;
    const int y = height() - Height + (Height - ButtonSize) / 2;
    QRegion shown;
    for (QWidget *b : {static_cast<QWidget *>(m_deleteButton), static_cast<QWidget *>(m_deleteConverterButton),
                       static_cast<QWidget *>(m_pauseButton), static_cast<QWidget *>(m_transferButton),
                       static_cast<QWidget *>(m_converterButton)}) {
        if (b->isHidden())
            continue;
        b->move(x, y);
        shown += QRect(x, y, ButtonSize, ButtonSize);
        x -= ButtonSize + ButtonGap;
    }
    // Only the buttons take the pointer: the row's own controls under the bar stay usable.
    setMask(shown.isEmpty() ? QRegion(0, 0, 1, 1) : shown);
}
