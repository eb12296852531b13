#pragma once

#include <QWidget>

// The white rounded plate behind an EditMenu's rows.
class EditMenuBgView : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override;
};
