#pragma once

#include <QDialog>

#include <functional>

class MGHoverButton;
class QLabel;
class QLineEdit;

// Asks for a page address when the clipboard holds none that can be used.
class PasteURLWndCtrl : public QDialog
{
    Q_OBJECT
public:
    explicit PasteURLWndCtrl(QWidget *parent = nullptr);

    // 1 when an address was accepted, 0 when the window was closed.
    int showModal();
    QString getURL() const;
    void setURL(const QString &text);
    // Accepts the address (closing with 1) or shows the invalid-address label.
    void clickDownload();
    bool isInvalidLabelShown() const;

    // Whether the typed text may be downloaded: 9 characters or more, an http, https or www. start.
    static bool isAcceptableText(const QString &text);

    // Tests answer the window here instead of running it.
    using RunHook = std::function<void(PasteURLWndCtrl *)>;
    static void setRunHookForTesting(RunHook hook);

private:
    QLineEdit *m_txtURL = nullptr;
    QLabel *m_lblInvalidURL = nullptr;
    MGHoverButton *m_btnDownload = nullptr;
};
