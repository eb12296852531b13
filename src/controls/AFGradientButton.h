#pragma once

#include "controls/AFGradientCell.h"

#include <QAbstractButton>

// A rounded gradient push button whose corner radius is a sixth of its height.
class AFGradientButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit AFGradientButton(QWidget *parent = nullptr);
    const AFGradientCell &cell() const { return m_cell; }
    QSize sizeHint() const override { return QSize(120, 36); }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    AFGradientCell m_cell;
};
