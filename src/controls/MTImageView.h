#pragma once

#include <QImage>
#include <QWidget>

// A row's thumbnail: any picture is shown as a rounded 126 x 70 one at the view's bottom-left,
// playlist members get a small mark at the bottom right, and the pointer's entering and leaving
// are reported (on every move, once tracking is installed).
class MTImageView : public QWidget
{
    Q_OBJECT
public:
    explicit MTImageView(QWidget *parent = nullptr);

    // Installs pointer tracking; a view made in code tracks nothing until this is called.
    void addTrackingArea();
    bool isTracking() const { return m_tracking; }

    void setImage(const QImage &image);
    QImage image() const { return m_drawImage; }
    bool isChildrenNode() const { return m_isChildrenNode; }
    void setIsChildrenNode(bool on) { m_isChildrenNode = on; }
    bool isTurboMode() const { return m_isTurboMode; }
    void setIsTurboMode(bool on) { m_isTurboMode = on; }

    // The rounded picture of the thumbnail size.
    static QImage roundedThumbnail(const QImage &image, qreal dpr);
    QSize sizeHint() const override { return QSize(126, 70); }

signals:
    void mtImageViewMouseEntered();
    void mtImageViewMouseExited();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QImage m_source;     // kept to redraw the rounded copy at another pixel ratio
    QImage m_drawImage;
    bool m_isChildrenNode = false;
    bool m_isTurboMode = false;
    bool m_tracking = false;
};
