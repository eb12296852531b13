#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QWidget>

#include <optional>

// A view that draws one picture fitted into its bounds on a background colour. A picture
// larger than the view shrinks to fit, keeping its shape; a smaller one keeps its own size,
// centred; with scaling on it is stretched over the whole view.
class ImageView : public QWidget
{
    Q_OBJECT
public:
    explicit ImageView(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    QImage image() const { return m_image; }
    // No colour: nothing is filled behind the picture.
    void setBgColor(const std::optional<QColor> &color);
    std::optional<QColor> bgColor() const { return m_bgColor; }
    void setScaleImage(bool scale);
    bool scaleImage() const { return m_bScaleImage; }
    QRectF imageDrawRect() const { return m_imageDrawRect; }
    void updateImageDrawRect();
    // The view drawn into a picture of its size.
    QImage viewImage();

    // Where a picture of the given size (points) goes in bounds.
    static QRectF fittedRect(const QSizeF &image, const QRectF &bounds, bool scale);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    virtual void drawPicture(QPainter &p, const QRectF &dirty);

    QImage m_image;
    bool m_bScaleImage = false;
    std::optional<QColor> m_bgColor = QColor::fromRgbF(1, 1, 1, 1);
    QRectF m_imageDrawRect;
};
