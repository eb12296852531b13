#pragma once

#include <QDialog>
#include <QImage>

class MGHoverButton;
class MTThreePartButton;
class QComboBox;
class QLabel;
class SubtitleWndCtr;

class SubtitleWndCtrDelegate
{
public:
    virtual ~SubtitleWndCtrDelegate() = default;
    virtual void subtitleWndDidClosed(SubtitleWndCtr *wnd) = 0;
};

// "Closed Captioning Settings": font, size and one of four colour schemes for subtitles. OK
// stores what changed and tells the delegate; Cancel stores nothing; Default resets the choices
// in the window only.
class SubtitleWndCtr : public QDialog
{
    Q_OBJECT
public:
    enum Tag { TagDefault = 100, TagCancel = 101, TagOK = 102, TagNone = -1 };

    explicit SubtitleWndCtr(QWidget *parent = nullptr);

    void setDelegate(SubtitleWndCtrDelegate *delegate) { m_delegate = delegate; }

    static const QStringList &fontList();
    static const QStringList &sizeList();

    void initResource();
    // Prepares, places the top-left corner at the point and runs modally.
    void showWindowAtLocation(const QPoint &topLeft);
    void defaultSetting();
    void fontControl(const QString &title);
    void sizeControl(const QString &title);
    void colorControl(int tag);
    static int indexForColor(int textColor, int backColor);
    void selectColorBtnAtIndex(int index);
    static QImage imageByNumber(int n, bool isDown);
    // The action of Default, Cancel and OK by tag; TagNone closes like Cancel.
    void closeWindow(int tag);

    QString strFont() const { return m_strFont; }
    int fontSize() const { return m_nFontSize; }
    int fontColor() const { return m_nFontColor; }
    int bgColor() const { return m_nBgColor; }
    int selectedScheme() const { return m_selectedScheme; }
    MGHoverButton *schemeButton(int n) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void reject() override;

private:
    void fillPopups();

    QComboBox *m_popFontSelector = nullptr;
    QComboBox *m_popSizeSelector = nullptr;
    MTThreePartButton *m_defaultBtn = nullptr;
    MTThreePartButton *m_cancelBtn = nullptr;
    MTThreePartButton *m_okBtn = nullptr;
    MGHoverButton *m_btnSchemes[4] = {};
    QLabel *m_lblTitle = nullptr;
    QLabel *m_lblFont = nullptr;
    QLabel *m_lblSize = nullptr;
    QLabel *m_lblColor = nullptr;
    QString m_strFont;
    int m_nFontSize = 28;
    int m_nFontColor = 0xFFFFFF;
    int m_nBgColor = 1;
    int m_selectedScheme = 1;
    SubtitleWndCtrDelegate *m_delegate = nullptr;
};
