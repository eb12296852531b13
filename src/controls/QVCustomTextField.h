#pragma once

#include "controls/MGTextFieldCell.h"

#include <optional>

// A field that takes only pasted or dropped web addresses: typing single characters is refused,
// and so is anything that does not start with "http://", "https://" or "www." (any case).
// Gaining focus empties it.
class QVCustomTextField : public MGTextFieldCell
{
    Q_OBJECT
public:
    explicit QVCustomTextField(QWidget *parent = nullptr);

    // The text a proposed replacement puts into the field, or nothing when it is refused.
    static std::optional<QString> filterReplacement(const QString &replacement);

signals:
    void customTextDidClean();
    void customTextDidChange(const QString &text);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    void propose(const QString &replacement);
};
