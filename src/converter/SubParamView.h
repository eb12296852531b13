#pragma once

#include <QWidget>

// The container the encoder settings view is placed in beside the format grid; draws nothing.
class SubParamView : public QWidget
{
    Q_OBJECT
public:
    explicit SubParamView(QWidget *parent = nullptr);
    // Puts view inside, 25 in from the left and 20 up from the bottom.
    void setContentView(QWidget *view);
    QWidget *contentView() const { return m_content; }

private:
    QWidget *m_content = nullptr;
};
