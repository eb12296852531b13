#pragma once

#include "shell/ShellDialog.h"

class QWebEngineView;

// The offer window: the product's offer page with "Buy" and "Try". Links that open new
// windows, and disk-image downloads, go to the default browser.
class VsWndCtr : public ShellDialog
{
    Q_OBJECT
public:
    explicit VsWndCtr(QWidget *parent = nullptr);
    int runModal(QWidget *parentWindow);
    void clickBuy();
    void clickTry();
    QWebEngineView *webView() const { return m_webView; }

private:
    void finish(const char *statValue, const char *urlKey);
    QWebEngineView *m_webView;
};
