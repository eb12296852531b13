#pragma once

#include <QPointer>
#include <QWidget>

// What the region recorder shows while it records: a red frame around the region with the
// capture bar above it, and during the count-down the number and the stop-key tip on a dark
// rounded backdrop.
class SRCaptureView : public QWidget
{
    Q_OBJECT
public:
    explicit SRCaptureView(QWidget *parent = nullptr);

    QRectF captureFrame() const { return m_captureFrame; }
    // Places the capture bar 2 points above the region's top edge, from its left edge.
    void setCaptureFrame(const QRectF &frame);
    void setCaptureBar(QWidget *bar);

    QString hotKeyTip() const { return m_hotKeyTip; }
    // "%key%" in the tip is drawn in red.
    void setHotKeyTip(const QString &tip, const QString &key = {});
    QString countNumber() const { return m_countNumber; }
    void setCountNumber(const QString &number);

    // Where the number, the tip and their backdrop go; empty rectangles while no number is set.
    struct Layout
    {
        QRectF number;
        QRectF tip;
        QRectF backdrop;
    };
    Layout layout() const;
    // What this view draws over the screen, in its own coordinates: the frame and the bar
    // outside the region, and the count-down while it runs. The region itself stays clear.
    QRegion paintedRegion() const;
    // The count-down is drawn on this layer, above the bar and everything else.
    QWidget *countDownLayer() const { return m_countDownLayer; }
    void paintCountDown(QPainter &p) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QFont numberFont() const;
    QFont tipFont() const;

    QWidget *m_countDownLayer = nullptr;

    QRectF m_captureFrame;
    QPointer<QWidget> m_captureBar;
    QString m_hotKeyTip;
    QString m_key;
    QString m_countNumber;
};
