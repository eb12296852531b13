#include "recording/SRCaptureView.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {
const QString keyMark = QStringLiteral("%key%");

// A clear layer over the whole view that only paints the count-down; clicks go through it.
class CountDownLayer : public QWidget
{
public:
    explicit CountDownLayer(SRCaptureView *view)
        : QWidget(view), m_view(view)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        m_view->paintCountDown(p);
    }

private:
    SRCaptureView *m_view;
};
} // namespace

SRCaptureView::SRCaptureView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_countDownLayer = new CountDownLayer(this);
    m_countDownLayer->setObjectName(QStringLiteral("countDownLayer"));
    m_countDownLayer->setGeometry(rect());
}

void SRCaptureView::resizeEvent(QResizeEvent *event)
{
    m_countDownLayer->setGeometry(rect());
    QWidget::resizeEvent(event);
}

void SRCaptureView::setCaptureFrame(const QRectF &frame)
{
    m_captureFrame = frame;
    if (m_captureBar)
        m_captureBar->move(QPointF(frame.left(), frame.top() - 2 - m_captureBar->height()).toPoint());
    update();
}

void SRCaptureView::setCaptureBar(QWidget *bar)
{
    m_captureBar = bar;
    if (bar) {
        bar->setParent(this);
        bar->show();
        // The count-down stays above the bar.
        m_countDownLayer->raise();
        setCaptureFrame(m_captureFrame);
    }
}

void SRCaptureView::setHotKeyTip(const QString &tip, const QString &key)
{
    m_hotKeyTip = tip;
    m_key = key;
    update();
    m_countDownLayer->update();
}

void SRCaptureView::setCountNumber(const QString &number)
{
    m_countNumber = number;
    update();
    m_countDownLayer->update();
}

QFont SRCaptureView::numberFont() const
{
    QFont f(QStringLiteral("Helvetica"));
    f.setPixelSize(200);
    return f;
}

QFont SRCaptureView::tipFont() const
{
    QFont f(QStringLiteral("Helvetica"));
    f.setPixelSize(25);
    return f;
}

SRCaptureView::Layout SRCaptureView::layout() const
{
    Layout l;
    if (m_countNumber.isEmpty())
        return l;
    const QRectF f = m_captureFrame;
    const QSizeF n = QFontMetricsF(numberFont()).size(Qt::TextSingleLine, m_countNumber);
    // The number's box sits 20 points above the centre; the tip starts 30 points inside the
    // number box's lower edge, so the big digit's empty descent does not push it away.
    l.number = QRectF(f.center().x() - n.width() / 2, f.center().y() - 20 - n.height(), n.width(), n.height());
    QString tip = m_hotKeyTip;
    tip.replace(keyMark, m_key);
    const QFontMetricsF tm(tipFont());
    const qreal tipWidth = std::min(tm.horizontalAdvance(tip), std::max<qreal>(0, f.width() - 40));
    l.tip = QRectF(f.center().x() - tipWidth / 2, l.number.bottom() - 30, tipWidth, tm.height());
    const qreal left = std::min(l.number.left(), l.tip.left()) - 20;
    const qreal right = std::max(l.number.right(), l.tip.right()) + 20;
    const qreal top = l.number.top() + 25;
    const qreal bottom = (tip.isEmpty() ? l.number.bottom() : l.tip.bottom()) + 15;
    l.backdrop = QRectF(QPointF(left, top), QPointF(right, bottom));
    return l;
}

void SRCaptureView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF f = m_captureFrame;
    p.setPen(QPen(QColor(0xE5, 0x2B, 0x2B), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(f.adjusted(-2, -2, 2, 2));
    p.fillRect(QRectF(f.left() - 3, f.top() - 3 - 40, std::min<qreal>(350, f.width() + 6), 40), Qt::black);
}

QRegion SRCaptureView::paintedRegion() const
{
    const QRectF f = m_captureFrame;
    if (f.isEmpty())
        return {};
    // The frame: 2 points wide, 2 points outside the region, and a point for its smoothed edge.
    QRegion painted = QRegion(f.adjusted(-4, -4, 4, 4).toAlignedRect()).subtracted(QRegion(f.toAlignedRect()));
    painted += QRectF(f.left() - 3, f.top() - 3 - 40, std::min<qreal>(350, f.width() + 6), 40).toAlignedRect();
    if (m_captureBar && !m_captureBar->isHidden())
        painted += m_captureBar->geometry();
    const Layout l = layout();
    if (!l.number.isEmpty())
        painted += l.backdrop.united(l.number).united(l.tip).toAlignedRect();
    return painted.intersected(rect());
}

void SRCaptureView::paintCountDown(QPainter &p) const
{
    const Layout l = layout();
    if (l.number.isEmpty())
        return;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 153));
    p.drawRoundedRect(l.backdrop, 20, 20);

    p.setPen(Qt::white);
    p.setFont(numberFont());
    p.drawText(l.number, Qt::AlignCenter, m_countNumber);

    if (m_hotKeyTip.isEmpty())
        return;
    // The tip in white with the key in red, cut at the tail when the region is narrow.
    const QFontMetricsF tm(tipFont());
    p.setFont(tipFont());
    const int at = m_hotKeyTip.indexOf(keyMark);
    const QString before = at < 0 ? m_hotKeyTip : m_hotKeyTip.left(at);
    const QString after = at < 0 ? QString() : m_hotKeyTip.mid(at + keyMark.size());
    p.save();
    p.setClipRect(l.tip);
    qreal x = l.tip.left();
    const qreal base = l.tip.top() + tm.ascent();
    for (const auto &[text, colour] : {std::pair{before, QColor(Qt::white)}, std::pair{m_key, QColor(0xFF, 0x3B, 0x30)},
                                       std::pair{after, QColor(Qt::white)}}) {
        p.setPen(colour);
        p.drawText(QPointF(x, base), text);
        x += tm.horizontalAdvance(text);
    }
    p.restore();
}
