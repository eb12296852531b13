#pragma once

#include <QImage>
#include <QWidget>

// A row of rating stars: light ones first, then grey ones, 4 points apart, on the bottom edge.
class CleanupStarView : public QWidget
{
    Q_OBJECT
public:
    explicit CleanupStarView(QWidget *parent = nullptr);

    QImage lightStarImage() const { return m_light; }
    void setLightStarImage(const QImage &i) { m_light = i; update(); }
    QImage grayStarImage() const { return m_gray; }
    void setGrayStarImage(const QImage &i) { m_gray = i; update(); }
    unsigned totalStarCount() const { return m_total; }
    void setTotalStarCount(unsigned n) { m_total = n; update(); }
    unsigned lightStarCount() const { return m_lightCount; }
    void setLightStarCount(unsigned n) { m_lightCount = n; update(); }

    // Where each star goes, in Qt coordinates.
    QList<QRectF> starRects() const;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QImage m_light, m_gray;
    unsigned m_total = 5;
    unsigned m_lightCount = 0;
};
