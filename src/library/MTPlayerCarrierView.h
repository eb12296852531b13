#pragma once

#include "library/ImageView.h"

// An ImageView that draws its picture at natural size, centred in what is being drawn.
class MTPlayerCarrierView : public ImageView
{
    Q_OBJECT
public:
    using ImageView::ImageView;

protected:
    void drawPicture(QPainter &p, const QRectF &dirty) override;
};
