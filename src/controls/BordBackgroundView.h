#pragma once

#include <QWidget>

// White with a grey one-point line along the top edge.
class BordBackgroundView : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override;
};
