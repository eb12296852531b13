#pragma once

#include "shell/ShellDialog.h"

#include <QRect>

#include <functional>

class MGCheckButton;
class MGHoverButton;
class QLabel;

// The one window that asks before items leave a list, optionally with the box "Delete original
// file(s) as well.". Every question starts with the box off and answers 0 (Cancel, or the
// window closed any other way), 1 (Delete) or 2 (Delete with the box ticked). Main thread only.
class DeleteModalWindowCtr : public ShellDialog
{
    Q_OBJECT
public:
    enum Result { Cancel = 0, Delete = 1, DeleteWithFiles = 2 };
    enum DisplayType { AllItems = 1, SelectedItems = 2 };

    static constexpr int Width = 440;
    static constexpr int Height = 170;

    // The shared window, made on first use and kept.
    static DeleteModalWindowCtr *shareDeleteModalWindowCtr();

    // The questions. parentRect: the caller's window frame in screen coordinates, or an empty
    // rectangle to centre the window on the screen.
    static int showDeleteItemsTip(const QRect &parentRect = QRect());
    static int showDeleteOneItemTip(const QRect &parentRect = QRect());
    static int showDeleteAllItemsTip(const QRect &parentRect = QRect());
    static int showDeleteItemsTipHiddenCheck(const QRect &parentRect = QRect());
    static int showDeleteAllItemsTipHiddenCheck(const QRect &parentRect = QRect());

    void setDisplayType(int type);
    int displayType() const { return m_displayType; }
    void setCheckHidden(bool hidden);
    int runModal();

    // The buttons' actions.
    void cancelButton();
    void deleteButtion();

    QLabel *lblTip() const { return m_lblTip; }
    MGCheckButton *checkButton() const { return m_checkButton; }
    MGHoverButton *cancelButtonControl() const { return m_cancelButton; }
    MGHoverButton *deleteButtonControl() const { return m_deleteButton; }
    QLabel *iconImageView() const { return m_iconImageView; }

    // Called with the window each time just before it runs modally (tests answer through it).
    using RunHook = std::function<void(DeleteModalWindowCtr *)>;
    static void setRunHookForTesting(RunHook hook);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    explicit DeleteModalWindowCtr(QWidget *parent = nullptr);
    static int ask(const QRect &parentRect, int type, bool checkHidden);
    void layoutControls();

    QLabel *m_iconImageView = nullptr;
    QLabel *m_lblTip = nullptr;
    MGCheckButton *m_checkButton = nullptr;
    MGHoverButton *m_cancelButton = nullptr;
    MGHoverButton *m_deleteButton = nullptr;
    int m_displayType = SelectedItems;
    int m_result = Cancel;
};
