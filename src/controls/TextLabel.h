#pragma once

#include <QLabel>

// A plain dark-grey caption: not selectable or editable, no border, clear background.
class TextLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TextLabel(QWidget *parent = nullptr);
};
