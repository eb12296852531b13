#pragma once

#include "library/SubtitleWndCtr.h"

#include <QObject>
#include <QPointer>

class ImageView;
class MGHoverButton;
class SubtitleSettingWndCtr;
class SuggestionWindow;

class SubtitleSettingWndCtrDelegate
{
public:
    virtual ~SubtitleSettingWndCtrDelegate() = default;
    virtual void settingWndCtrDidChangeStatus(SubtitleSettingWndCtr *ctr, bool on) = 0;
    virtual void settingWndCtrDidModified(SubtitleSettingWndCtr *ctr) = 0;
};

// The subtitle pop-up over the player's CC button: an on/off switch and a button to the style
// window. It acts like a menu: a click anywhere else closes it.
class SubtitleSettingWndCtr : public QObject, public SubtitleWndCtrDelegate
{
    Q_OBJECT
public:
    explicit SubtitleSettingWndCtr(QObject *parent = nullptr);
    ~SubtitleSettingWndCtr() override;

    void setDelegate(SubtitleSettingWndCtrDelegate *delegate) { m_delegate = delegate; }
    SuggestionWindow *window() const { return m_window; }
    QSize windowSize() const;

    void initResource();
    void showWindowAtLocation(const QPoint &topLeft, QWidget *parentWnd);
    void setSwitchBtnStatus(bool on);
    int switchTag() const { return m_switchTag; }
    void clickBtnSwitch();
    void clickBtnSetting();
    // A null sender also closes the style window.
    void closeWindow(QObject *sender);
    bool isShown() const;
    SubtitleWndCtr *subtitleWndCtr() const { return m_subtitleWndCtr; }

    void subtitleWndDidClosed(SubtitleWndCtr *wnd) override;

private:
    SuggestionWindow *m_window = nullptr;
    ImageView *m_content = nullptr;
    MGHoverButton *m_switch = nullptr;
    MGHoverButton *m_setting = nullptr;
    int m_switchTag = 0;
    QPointer<QWidget> m_parentWnd;
    SubtitleSettingWndCtrDelegate *m_delegate = nullptr;
    int m_nOriginalState = 0;
    SubtitleWndCtr *m_subtitleWndCtr = nullptr;
};
