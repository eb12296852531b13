#include "shell/MGMessageBox.h"

#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "controls/QVUrlLabel.h"
#include "platform/Dispatch.h"
#include "platform/MainBundle.h"
#include "shell/ShellDialogParts.h"

#include <QKeyEvent>
#include <QLabel>

namespace {

MGMessageBox::RunHook &runHook()
{
    static MGMessageBox::RunHook hook;
    return hook;
}

// Qt's y grows downwards; the frames given bottom-up (y from the bottom edge) are turned here.
QRect fromBottom(int windowHeight, int x, int y, int w, int h)
{
    return QRect(x, windowHeight - y - h, w, h);
}

} // namespace

void MGMessageBox::setRunHookForTesting(RunHook hook)
{
    runHook() = std::move(hook);
}

MGMessageBox::MGMessageBox(QWidget *parent) : ShellDialog(parent)
{
    setObjectName(QStringLiteral("MGMessageBox"));
    resize(DefaultWidth, DefaultHeight);
    setModal(true);

    m_imageView = new QLabel(this);
    m_imageView->setAlignment(Qt::AlignCenter);
    m_imageView->hide();

    m_messageTextField = ShellDialogParts::wrappedLabel(this, Qt::AlignLeft | Qt::AlignTop, 14, QStringLiteral("#2f3439"));
    m_messageTextField->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont mf = m_messageTextField->font();
    mf.setWeight(QFont::DemiBold);
    m_messageTextField->setFont(mf);

    m_noteTextField = ShellDialogParts::wrappedLabel(this, Qt::AlignLeft | Qt::AlignTop, 12, QStringLiteral("#7b848c"));

    m_urlTextField = new QVUrlLabel(this);
    m_urlTextField->hide();

    m_noteCheckButton = new MGCheckButton(this);
    m_noteCheckButton->hide();

    using ShellDialogParts::dialogButton;
    m_noButton = dialogButton(this, QStringLiteral("otherButton"), MGHoverButton::DisplayAccentText,
                              MainBundle::localizedString("NO"));
    m_yesButton = dialogButton(this, QStringLiteral("defaultButton"), MGHoverButton::DisplayFilled,
                               MainBundle::localizedString("YES"));
    m_threeButton = dialogButton(this, QStringLiteral("thirdButton"), MGHoverButton::DisplayAccentText);
    m_threeButton->hide();
    for (MGHoverButton *b : {m_noButton, m_yesButton, m_threeButton})
        connect(b, &QAbstractButton::clicked, this, [this, b] { clickButton(b); });
    layoutControls();
}

// ---- class operations

// What one class operation puts into its box; unset texts keep the box's defaults.
struct MGMessageBox::Question
{
    QString message, title, note, tip, tipUrl, checkTitle, defaultButton, otherButton, threeButton;
    QImage image;
    QSize frameSize;
    QRect parentRect;
    bool onlyDefault = false;
};

int MGMessageBox::runQuestion(const Question &q)
{
    // The order of the setters matters: size before placement, link before buttons.
    MGMessageBox box;
    box.setFrameSize(q.frameSize);
    box.setFrameOriginWithParentRect(q.parentRect);
    box.setTitle(q.title);
    box.setMessage(q.message);
    box.setNote(q.note);
    if (!q.tipUrl.isNull()) {
        box.setTip(q.tip);
        box.setTipUrl(q.tipUrl);
    }
    box.setCheckButtonTitle(q.checkTitle);
    box.setDefaultButton(q.defaultButton);
    box.setOtherButton(q.otherButton);
    box.setThreeButton(q.threeButton);
    box.setImage(q.image);
    if (q.onlyDefault)
        box.setHiddenOtherButton();
    if (runHook())
        runHook()(&box);
    return box.runModal();
}

int MGMessageBox::message(const QString &message, const QString &title, const QString &question,
                          const QString &defaultButton, const QString &otherButton, const QImage &image,
                          const QRect &parentRect)
{
    Question q;
    q.message = message, q.title = title, q.note = question, q.defaultButton = defaultButton;
    q.otherButton = otherButton, q.image = image, q.parentRect = parentRect;
    return runQuestion(q);
}

int MGMessageBox::message(const QString &message, const QString &title, const QString &question,
                          const QString &defaultButton, const QString &otherButton, const QImage &image,
                          const QSize &frameSize, const QRect &parentRect)
{
    Question q;
    q.message = message, q.title = title, q.note = question, q.defaultButton = defaultButton;
    q.otherButton = otherButton, q.image = image, q.frameSize = frameSize, q.parentRect = parentRect;
    return runQuestion(q);
}

int MGMessageBox::messageWithNote(const QString &message, const QString &title, const QString &note,
                                  const QString &defaultButton, const QImage &image, const QRect &parentRect)
{
    Question q;
    q.message = message, q.title = title, q.note = note, q.defaultButton = defaultButton;
    q.image = image, q.parentRect = parentRect, q.onlyDefault = true;
    return runQuestion(q);
}

int MGMessageBox::warning(const QString &message, const QString &title, const QString &note,
                          const QString &defaultButton, const QImage &image, const QRect &parentRect)
{
    return messageWithNote(message, title, note, defaultButton, image, parentRect);
}

int MGMessageBox::question(const QString &message, const QString &title, const QString &defaultButton,
                           const QString &otherButton, const QImage &image, const QRect &parentRect)
{
    Question q;
    q.message = message, q.title = title, q.defaultButton = defaultButton, q.otherButton = otherButton;
    q.image = image, q.parentRect = parentRect;
    return runQuestion(q);
}

int MGMessageBox::question(const QString &message, const QString &title, const QString &note,
                           const QString &defaultButton, const QString &otherButton, const QString &threeButton,
                           const QImage &image, const QRect &parentRect)
{
    Question q;
    q.message = message, q.title = title, q.note = note, q.defaultButton = defaultButton;
    q.otherButton = otherButton, q.threeButton = threeButton, q.image = image, q.parentRect = parentRect;
    return runQuestion(q);
}

int MGMessageBox::questionWithLink(const QString &message, const QString &title, const QString &note,
                                   const QString &noteUrl, const QString &defaultButton, const QString &otherButton,
                                   const QImage &image, const QRect &parentRect)
{
    Question q;
    q.message = message, q.title = title, q.tip = note, q.tipUrl = noteUrl.isNull() ? QStringLiteral("") : noteUrl;
    q.defaultButton = defaultButton, q.otherButton = otherButton, q.image = image;
    q.frameSize = QSize(600, 220), q.parentRect = parentRect;
    return runQuestion(q);
}

int MGMessageBox::questionWithLink(const QString &message, const QString &title, const QString &note,
                                   const QString &noteUrl, const QSize &frameSize, const QString &defaultButton,
                                   const QImage &image, const QRect &parentRect)
{
    Question q;
    q.message = message, q.title = title, q.tip = note, q.tipUrl = noteUrl.isNull() ? QStringLiteral("") : noteUrl;
    q.defaultButton = defaultButton, q.image = image, q.frameSize = frameSize, q.parentRect = parentRect;
    q.onlyDefault = true;
    return runQuestion(q);
}

int MGMessageBox::questionWithNoAskCheck(const QString &message, const QString &title, const QString &noAskCheckTitle,
                                         const QString &defaultButton, const QString &otherButton,
                                         const QImage &image, const QRect &parentRect)
{
    return questionWithNoAskCheck(message, title, noAskCheckTitle, defaultButton, otherButton, QString(), image, parentRect);
}

int MGMessageBox::questionWithNoAskCheck(const QString &message, const QString &title, const QString &noAskCheckTitle,
                                         const QString &defaultButton, const QString &otherButton,
                                         const QString &threeButton, const QImage &image, const QRect &parentRect)
{
    Question q;
    q.message = message, q.title = title, q.checkTitle = noAskCheckTitle, q.defaultButton = defaultButton;
    q.otherButton = otherButton, q.threeButton = threeButton, q.image = image, q.parentRect = parentRect;
    return runQuestion(q);
}

void MGMessageBox::showHaveTaskmessage(const QRect &parentRect)
{
    messageWithNote(MainBundle::localizedString("Item(s) can't be deleted while transferring. Please wait for a few minutes."),
                    MainBundle::localizedString("Warning!"), QString(), MainBundle::localizedString("OK"), QImage(),
                    parentRect);
}

// ---- setters: nil keeps what the box shows

void MGMessageBox::setTitle(const QString &title) { setTitleText(title); }

void MGMessageBox::setMessage(const QString &message)
{
    if (!message.isNull())
        m_messageTextField->setText(message);
}

void MGMessageBox::setNote(const QString &note)
{
    if (!note.isNull())
        m_noteTextField->setText(note);
}

void MGMessageBox::setTip(const QString &tip)
{
    if (!tip.isNull())
        m_urlTextField->setStringValue(tip);
}

void MGMessageBox::setImage(const QImage &image)
{
    if (image.isNull())
        return;
    m_imageView->setPixmap(QPixmap::fromImage(image.scaled(QSize(48, 48), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    m_imageView->show();
    layoutControls();
}

void MGMessageBox::setDefaultButton(const QString &title)
{
    if (!title.isNull())
        m_yesButton->setTitle(title);
    layoutControls();
}

void MGMessageBox::setOtherButton(const QString &title)
{
    if (!title.isNull())
        m_noButton->setTitle(title);
    layoutControls();
}

void MGMessageBox::setThreeButton(const QString &title)
{
    if (title.isEmpty())
        return;
    m_threeButton->setTitle(title);
    m_threeButton->show();
    layoutControls();
}

void MGMessageBox::setCheckButtonTitle(const QString &title)
{
    if (title.isEmpty())
        return;
    m_noteCheckButton->setTitle(title);
    m_noteCheckButton->show();
    layoutControls();
}

void MGMessageBox::setTipUrl(const QString &url)
{
    m_noteTextField->hide();
    m_urlTextField->show();
    m_urlTextField->setUrl(url);
    QFont f(QStringLiteral("Helvetica"));
    f.setPixelSize(13);
    m_urlTextField->setFont(f);
    m_urlTextField->setNormalForegroundColor(QColor::fromRgbF(0.604f, 0.82f, 0.0f));
    m_urlTextField->resetAttributedString();
    m_fixedButtonFrames = true;
    layoutControls();
}

void MGMessageBox::setHiddenNoButton() { setHiddenOtherButton(); }

void MGMessageBox::setHiddenOtherButton()
{
    m_noButton->hide();
    layoutControls();
}

void MGMessageBox::setTitleTextColor(const QColor &c)
{
    if (c.isValid())
        titleTextField()->setStyleSheet(QStringLiteral("color: %1;").arg(c.name()));
}

void MGMessageBox::setMessageTextColor(const QColor &c)
{
    if (c.isValid())
        m_messageTextField->setStyleSheet(QStringLiteral("color: %1;").arg(c.name()));
}

void MGMessageBox::setNoteTextColor(const QColor &c)
{
    if (c.isValid())
        m_noteTextField->setStyleSheet(QStringLiteral("color: %1;").arg(c.name()));
}

void MGMessageBox::setNoteFont(const QFont &f)
{
    m_noteTextField->setFont(f);
}

void MGMessageBox::setFrameSize(const QSize &size)
{
    if (size.isValid() && !size.isEmpty())
        resize(size);
}

void MGMessageBox::setVerifyFrameSize(const QSize &windowSize, const QSize &imageSize)
{
    resize(windowSize);
    m_verifyLayout = true;
    const int W = windowSize.width(), H = windowSize.height();
    const int iw = imageSize.width(), ih = imageSize.height();
    m_imageView->setGeometry(fromBottom(H, 60, (H - ih) / 2, iw, ih));
    m_messageTextField->setGeometry(fromBottom(H, iw + 110, (H - ih) / 4 + 40, W - 60 - (iw + 110), 2 * ih / 3));
    const QSize b = m_yesButton->size();
    m_yesButton->setGeometry(fromBottom(H, W - b.width() - 20, 20, b.width(), b.height()));
    m_noButton->hide();
}

void MGMessageBox::keyPressEvent(QKeyEvent *e)
{
    // Return and Enter answer with the default button; Escape closes (0).
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        clickButton(m_yesButton);
        return;
    }
    ShellDialog::keyPressEvent(e);
}

void MGMessageBox::resizeEvent(QResizeEvent *e)
{
    ShellDialog::resizeEvent(e);
    layoutControls();
}

void MGMessageBox::layoutControls()
{
    if (m_verifyLayout)
        return;
    const int W = width(), H = height();
    const int top = TitleStripHeight + 18;
    const int textX = !m_imageView->isHidden() ? 92 : 28;
    if (!m_imageView->isHidden())
        m_imageView->setGeometry(28, top, 48, 48);
    const int textW = std::max(40, W - textX - 28);
    const int messageH = std::max(20, m_messageTextField->heightForWidth(textW));
    m_messageTextField->setGeometry(textX, top, textW, std::min(messageH, H / 2));
    const int noteY = top + std::min(messageH, H / 2) + 8;
    m_noteTextField->setGeometry(textX, noteY, textW, std::max(0, H - 64 - noteY));
    m_urlTextField->setGeometry(textX, noteY, textW, 22);
    m_noteCheckButton->setGeometry(textX, H - 52, std::max(60, m_noteCheckButton->sizeHint().width()), 28);

    if (m_fixedButtonFrames) {
        m_noButton->setGeometry(fromBottom(H, 270, 20, 180, 32));
        m_yesButton->setGeometry(fromBottom(H, 460, 20, 120, 32));
        return;
    }
    ShellDialogParts::placeButtonsFromRight({m_yesButton, m_noButton, m_threeButton}, W - 20, H - 20 - 32, 96, 32);
}

int MGMessageBox::runModal()
{
    show();
    raise();
    activateWindow();
    return exec();
}

void MGMessageBox::clickButton(QObject *sender)
{
    const int checked = (!m_noteCheckButton->isHidden() && m_noteCheckButton->state() == 1) ? 1 : 0;
    int code = -1;
    if (sender == m_yesButton)
        code = DefaultButton;
    else if (sender == m_noButton)
        code = OtherButton;
    else if (sender == m_threeButton)
        code = ThirdButton;
    if (code < 0)
        return;
    hide();
    done(code + 3 * checked);
}

void MGMessageBox::orderOutAndStopModal()
{
    if (!dispatch::isMainThread()) {
        QPointer<MGMessageBox> self(this);
        dispatch::async_main([self] {
            if (self)
                self->orderOutAndStopModal();
        });
        return;
    }
    hide();
    done(Closed);
}
