#pragma once

#include <QImage>
#include <QWidget>

class QVariantAnimation;

// An image that spins clockwise, one turn a second, as a waiting sign. Stopping hides it; a new
// start shows it again without a second animation.
class CircleImageView : public QWidget
{
    Q_OBJECT
public:
    explicit CircleImageView(QWidget *parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage &i) { m_image = i; update(); }
    void startAnimating();
    void stopAnimating();
    bool hasRotatingLayer() const { return m_layerMade; }
    QVariantAnimation *rotation() const { return m_rotate; }
    double angle() const;  // radians now

protected:
    void paintEvent(QPaintEvent *) override;
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    QImage m_image;       // the view's own image, cleared when the layer takes it
    QImage m_layerImage;  // the rotating layer's picture
    bool m_layerMade = false;
    QVariantAnimation *m_rotate = nullptr;
};
