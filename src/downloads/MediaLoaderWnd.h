#pragma once

#include "converter/MediaLoaderController.h"

#include <QDialog>
#include <QStringList>

#include <memory>

class MTThreePartButton;
class QLabel;
class QProgressBar;
class QWidget;

// The "Importing file(s)..." sheet of a local import, shared by the Convert, Record and Transfer
// pages:
//
//   m_loader = MediaLoaderWnd::importFiles(window(), paths, this);
//
// starts a loader with this sheet over `window` (window-modal; a null window gives a free-standing
// dialog) and answers it; the delegate hears mediaLoaderDidEndLoadFiles() when the tool ends,
// and nothing after Cancel. Files the tool could not read are named in an alert with one "OK"
// button after the sheet closes. The sheet lives as long as its loader; the loader keeps itself
// alive while its tool runs, so the caller may drop the answer. Main thread only.
class MediaLoaderWnd : public QDialog, public MediaLoaderSheet
{
    Q_OBJECT
public:
    static std::shared_ptr<MediaLoaderController> importFiles(QWidget *window, const QStringList &paths,
                                                              MediaLoaderControllerDelegate *delegate);

    explicit MediaLoaderWnd(QWidget *parent = nullptr);
    ~MediaLoaderWnd() override;

    // The loader that Cancel stops; the sheet goes away with it.
    void setLoader(const std::shared_ptr<MediaLoaderController> &loader);

    // MediaLoaderSheet
    void beginSheet(QObject *parentWindow, const QString &progressText) override;
    void setProgressText(const QString &text) override;
    void setCancelEnabled(bool enabled) override;
    void endSheet() override;
    void showAlert(const QString &message, const QString &informativeText) override;

    QString progressText() const;
    MTThreePartButton *cancelButton() const { return m_cancel; }
    bool isSpinning() const;

private:
    void cancelButtonClick();

    std::weak_ptr<MediaLoaderController> m_loader;
    QLabel *m_text = nullptr;
    QProgressBar *m_spinner = nullptr;
    MTThreePartButton *m_cancel = nullptr;
};
