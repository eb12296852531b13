#pragma once

#include "shell/ShellDialog.h"

#include <QImage>

#include <functional>
#include <QRect>
#include <QSize>

class MGCheckButton;
class MGHoverButton;
class QLabel;
class QVUrlLabel;

// The application's modal message box: a message, a note line (or a link line, or a "don't ask
// again" check box), an optional picture and up to three buttons. Results: 1 default, 2 other,
// 3 third button, each plus 3 when the check box is shown and ticked; 0 when the box is closed
// without a button. Each class operation builds a box, centres it on the parent frame (an
// empty frame: on the screen), runs it and returns the result.
class MGMessageBox : public ShellDialog
{
    Q_OBJECT
public:
    enum Result { Closed = 0, DefaultButton = 1, OtherButton = 2, ThirdButton = 3 };
    static constexpr int DefaultWidth = 440;
    static constexpr int DefaultHeight = 190;

    // message:title:question:defaultButton:otherButton:image:parentRect:
    static int message(const QString &message, const QString &title, const QString &question,
                       const QString &defaultButton, const QString &otherButton, const QImage &image,
                       const QRect &parentRect);
    // ...frameSize:parentRect:
    static int message(const QString &message, const QString &title, const QString &question,
                       const QString &defaultButton, const QString &otherButton, const QImage &image,
                       const QSize &frameSize, const QRect &parentRect);
    // message:title:note:defaultButton:image:parentRect:
    static int messageWithNote(const QString &message, const QString &title, const QString &note,
                               const QString &defaultButton, const QImage &image, const QRect &parentRect);
    static int warning(const QString &message, const QString &title, const QString &note,
                       const QString &defaultButton, const QImage &image, const QRect &parentRect);
    static int question(const QString &message, const QString &title, const QString &defaultButton,
                        const QString &otherButton, const QImage &image, const QRect &parentRect);
    static int question(const QString &message, const QString &title, const QString &note,
                        const QString &defaultButton, const QString &otherButton, const QString &threeButton,
                        const QImage &image, const QRect &parentRect);
    // question:title:note:noteUrl:defaultButton:otherButton:image:parentRect: (600 by 220)
    static int questionWithLink(const QString &message, const QString &title, const QString &note,
                                const QString &noteUrl, const QString &defaultButton, const QString &otherButton,
                                const QImage &image, const QRect &parentRect);
    static int questionWithLink(const QString &message, const QString &title, const QString &note,
                                const QString &noteUrl, const QSize &frameSize, const QString &defaultButton,
                                const QImage &image, const QRect &parentRect);
    static int questionWithNoAskCheck(const QString &message, const QString &title, const QString &noAskCheckTitle,
                                      const QString &defaultButton, const QString &otherButton,
                                      const QImage &image, const QRect &parentRect);
    static int questionWithNoAskCheck(const QString &message, const QString &title, const QString &noAskCheckTitle,
                                      const QString &defaultButton, const QString &otherButton,
                                      const QString &threeButton, const QImage &image, const QRect &parentRect);
    static void showHaveTaskmessage(const QRect &parentRect);

    // Called with each box just before it runs (tests answer boxes here).
    using RunHook = std::function<void(MGMessageBox *)>;
    static void setRunHookForTesting(RunHook hook);

    explicit MGMessageBox(QWidget *parent = nullptr);

    void setTitle(const QString &title);
    void setMessage(const QString &message);
    void setNote(const QString &note);
    void setTip(const QString &tip);
    void setImage(const QImage &image);
    void setDefaultButton(const QString &title);
    void setOtherButton(const QString &title);
    void setThreeButton(const QString &title);
    void setCheckButtonTitle(const QString &title);
    void setTipUrl(const QString &url);
    void setHiddenNoButton();
    void setHiddenOtherButton();
    void setTitleTextColor(const QColor &c);
    void setMessageTextColor(const QColor &c);
    void setNoteTextColor(const QColor &c);
    void setNoteFont(const QFont &f);
    void setFrameSize(const QSize &size);
    // Placement on a parent frame (truncated halves) comes from ShellDialog.
    void setVerifyFrameSize(const QSize &windowSize, const QSize &imageSize);

    int runModal();
    void clickButton(QObject *sender);
    // Any thread: closes the box with 0.
    void orderOutAndStopModal();

    MGHoverButton *yesButton() const { return m_yesButton; }
    MGHoverButton *noButton() const { return m_noButton; }
    MGHoverButton *threeButton() const { return m_threeButton; }
    MGCheckButton *noteCheckButton() const { return m_noteCheckButton; }
    QLabel *messageTextField() const { return m_messageTextField; }
    QLabel *noteTextField() const { return m_noteTextField; }
    QVUrlLabel *urlTextField() const { return m_urlTextField; }

protected:
    void resizeEvent(QResizeEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    struct Question;
    void layoutControls();
    static int runQuestion(const Question &q);

    QLabel *m_imageView;
    QLabel *m_messageTextField;
    QLabel *m_noteTextField;
    QVUrlLabel *m_urlTextField;
    MGCheckButton *m_noteCheckButton;
    MGHoverButton *m_noButton;
    MGHoverButton *m_yesButton;
    MGHoverButton *m_threeButton;
    bool m_fixedButtonFrames = false;
    bool m_verifyLayout = false;
};
