#pragma once

#include <QPushButton>

// A platform push button with a pointing-hand cursor over it.
class MGHandCurButton : public QPushButton
{
    Q_OBJECT
public:
    explicit MGHandCurButton(QWidget *parent = nullptr);
};
