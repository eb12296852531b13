#pragma once

#include <QWidget>

// A frameless window that acts as a menu while its fake-menu mode lasts: scrolling does
// nothing anywhere, and a click or key in another window ends the mode (closing this window)
// without reaching that window.
class SuggestionWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SuggestionWindow(QWidget *parent = nullptr);
    ~SuggestionWindow() override;

    void beginFakeMenu();
    void endFakeMenu();
    bool inFakeMenu() const { return m_inFakeMenu; }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    bool isOwn(QObject *watched) const;
    bool m_inFakeMenu = false;
};
