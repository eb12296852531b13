#pragma once

#include <QWebEnginePage>

// A web page whose links that ask for a new window open in the user's default browser.
class BrowserHandOffPage : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    QWebEnginePage *createWindow(WebWindowType type) override;
};
