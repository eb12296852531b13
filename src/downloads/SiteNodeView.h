#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

// The picture face of a favourite tile: background, the site's picture and, while hovered,
// a delete button in the top-left corner. Nothing is drawn while loading.
class SiteNodeView : public QWidget
{
    Q_OBJECT
public:
    explicit SiteNodeView(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    QImage image() const { return m_image; }
    void setLoading(bool loading);
    bool isLoading() const { return m_isLoading; }
    bool isHighlight() const { return m_isHighlight; }
    unsigned delState() const { return m_delState; }
    QRect delRect() const { return m_delRect; }

    std::function<void()> action;    // a click on the tile
    std::function<void()> delAction; // a click on the delete button

protected:
    void paintEvent(QPaintEvent *) override;
    void enterEvent(QEnterEvent *) override;
    void leaveEvent(QEvent *) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    QImage m_image;
    QRect m_delRect;
    bool m_isHighlight = false;
    bool m_isLoading = false;
    unsigned m_delState = 0; // 0 normal, 1 hover, 2 pressed
};
