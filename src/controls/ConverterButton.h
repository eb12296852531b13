#pragma once

#include "controls/MGHoverButton.h"

class ConverterButton;

// Told when the pointer enters and leaves a row's Convert button; both optional.
class ConverterButtonDelegate
{
public:
    virtual ~ConverterButtonDelegate() = default;
    virtual void converterBtnHadChangedStatus(ConverterButton *button) {}
    virtual void convertedBtnWillRestore(ConverterButton *button) {}
};

// The Convert button of a list row: a hover button that tells its delegate when the pointer
// enters (the row shows "Convert") and leaves (a converted row shows its result again), also
// while a drag passes over it. isConvertFinished remembers which look the row gave it.
class ConverterButton : public MGHoverButton
{
    Q_OBJECT
public:
    explicit ConverterButton(QWidget *parent = nullptr);

    ConverterButtonDelegate *delegate() const { return m_delegate; }
    void setDelegate(ConverterButtonDelegate *delegate) { m_delegate = delegate; }
    bool isConvertFinished() const { return m_isConvertFinished; }
    void setIsConvertFinished(bool finished) { m_isConvertFinished = finished; }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;

private:
    ConverterButtonDelegate *m_delegate = nullptr;
    bool m_isConvertFinished = false;
};
