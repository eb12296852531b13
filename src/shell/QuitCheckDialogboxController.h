#pragma once

#include "shell/ShellDialog.h"

#include <functional>

class MGCheckButton;
class MGHoverButton;
class QLabel;

// Asks to confirm removing running downloads (types 0 and 1: selected tasks, 2: all tasks) or
// quitting while tasks run (type 5), with a "Don't ask me again" box that switches the matching
// question off. The answer is "cancel" until the confirm button is pressed: closing the dialog
// any other way (close button, Escape, a count-down closing it) never confirms.
class QuitCheckDialogboxController : public ShellDialog
{
    Q_OBJECT
public:
    enum ReturnCode { Confirmed = 0, Cancelled = 1 };
    static constexpr int NibHeight = 170;
    static constexpr int Width = 440;

    explicit QuitCheckDialogboxController(QWidget *parent = nullptr);

    // Sets the dialog up for the type, runs it modally and answers 0 (confirmed) or 1.
    int runModalForType(int type);
    // Without running: the set-up alone (tests and callers that show it themselves).
    void setupForType(int type);
    void clickQuit();
    void clickCancel();

    int returncode() const { return m_returncode; }
    int windowType() const { return m_windowType; }
    // The defaults key "Don't ask me again" clears for a type.
    static QString keyForType(int type);

    QLabel *questionField() const { return m_text; }
    MGCheckButton *checkbox() const { return m_checkbox; }
    MGHoverButton *okButton() const { return m_okBtn; }
    MGHoverButton *cancelButton() const { return m_cancelBtn; }

    using RunHook = std::function<void(QuitCheckDialogboxController *)>;
    static void setRunHookForTesting(RunHook hook);

protected:
    void resizeEvent(QResizeEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void layoutControls();

    QLabel *m_icon;
    QLabel *m_text;
    MGCheckButton *m_checkbox;
    MGHoverButton *m_okBtn;
    MGHoverButton *m_cancelBtn;
    int m_returncode = Cancelled;
    int m_windowType = -1;
    bool m_defaultIsConfirm = false;
};
