#pragma once

#include <QList>
#include <QWidget>

class MGHoverButton;
class QLabel;
class QStackedWidget;
class QVUrlLabel;

// The guide for an Android phone whose USB debugging is off: how to turn it on, with a tab per
// Android version and a link to the help page for phones that still do not connect.
class USBDebugViewCtrl : public QWidget
{
    Q_OBJECT
public:
    explicit USBDebugViewCtrl(QWidget *parent = nullptr);

    // Shows the tab of the button with that tag (1 to 4: 6.0+, 4.2~5.1, 3.0~4.1, 2.0~2.3).
    void selectVersionTag(int tag);
    int currentTab() const;
    // The text of a step by its tag (0 to 8).
    static QString stepText(int tag);

    const QList<MGHoverButton *> &versionButtons() const { return m_buttons; }
    QVUrlLabel *helpLink() const { return m_link; }

private:
    QList<MGHoverButton *> m_buttons;
    QList<QLabel *> m_underlines;
    QStackedWidget *m_tabs = nullptr;
    QVUrlLabel *m_link = nullptr;
};
