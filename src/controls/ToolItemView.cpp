#include "controls/ToolItemView.h"

#include "controls/slices/SliceAssistant.h"

#include <QFontMetricsF>
#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>

#include <cmath>

namespace {
constexpr qreal iconLeft = 18;
constexpr qreal iconGap = 10;
constexpr qreal rightMargin = 18;
} // namespace

ToolItemView::ToolItemView(QWidget *parent)
    : ActionView(parent)
{
    setMouseTracking(true);
}

ToolItemView::ToolItemView(const QRect &frame, QWidget *parent)
    : ToolItemView(parent)
{
    setGeometry(frame);
    m_clickRect = QRect(QPoint(0, 0), frame.size());
}

ToolItemView::~ToolItemView() = default;

void ToolItemView::setFavicon(const QImage &image)
{
    m_favicon = image;
    update();
}

void ToolItemView::setTitle(const Text &title)
{
    m_title = title;
    update();
}

void ToolItemView::setSubTitle(const Text &subTitle)
{
    m_subTitle = subTitle;
    update();
}

void ToolItemView::resizeEvent(QResizeEvent *event)
{
    // The click area is the bounds; a tile laid out after it was made follows its new size.
    m_clickRect = rect();
    ActionView::resizeEvent(event);
}

void ToolItemView::stopAnimation()
{
    if (m_animation && m_animation->state() == QAbstractAnimation::Running)
        m_animation->stop();
}

void ToolItemView::startFadeInAnimation()
{
    if (!m_animation) {
        auto *effect = new QGraphicsOpacityEffect(this);
        setGraphicsEffect(effect);
        m_animation = new QPropertyAnimation(effect, "opacity", this);
        m_animation->setDuration(400);
        m_animation->setStartValue(0.0);
        m_animation->setEndValue(1.0);
    }
    m_animation->stop();
    m_animation->start();
}

void ToolItemView::enterEvent(QEnterEvent *)
{
    m_isEntered = true;
    m_isPressed = false;
    update();
}

void ToolItemView::leaveEvent(QEvent *)
{
    stopAnimation();
    m_isEntered = false;
    m_isPressed = false;
    update();
}

void ToolItemView::mousePressEvent(QMouseEvent *)
{
    stopAnimation();
    m_isDoubleClick = false;
    m_isPressed = true;
    m_isEntered = false;
    update();
}

void ToolItemView::mouseDoubleClickEvent(QMouseEvent *)
{
    m_isDoubleClick = true;
    m_isPressed = true;
    m_isEntered = false;
    update();
}

void ToolItemView::mouseReleaseEvent(QMouseEvent *event)
{
    // Every release clears the pressed look, so a disabled tile or a double click never
    // leaves it stuck; only a single click on an enabled tile sends the action.
    const bool doubleClick = std::exchange(m_isDoubleClick, false);
    m_isPressed = false;
    m_isEntered = false;
    update();
    if (!isEnabled() || doubleClick)
        return;
    if (m_clickRect.contains(event->position().toPoint()))
        sendClickAction();
}

QString ToolItemView::curBackgroundImage() const
{
    if (m_isEntered)
        return QStringLiteral("toolbox-199_");
    if (m_isPressed)
        return QStringLiteral("toolbox-197_");
    return {};
}

void ToolItemView::drawBackground(QPainter *painter)
{
    if (!m_isEntered)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::white);
    painter->drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 18, 18);
    painter->restore();
}

QSizeF ToolItemView::calcTextSize(const Text &text, int width)
{
    const QSizeF one = QFontMetricsF(text.font).size(Qt::TextSingleLine, text.string);
    if (text.isEmpty() || one.width() <= width || width <= 0)
        return one;
    const qreal extraLines = std::floor(one.width() / width);
    return QSizeF(width, one.height() + extraLines * one.height() + 10);
}

ToolItemView::Layout ToolItemView::layoutFor(const QSizeF &b, const QSizeF &iconSize, const Text &title,
                                             const Text &subTitle)
{
    Layout l;
    qreal textX = 0;
    if (!iconSize.isEmpty()) {
        // Centred a little above the middle, as the text pair is.
        l.icon = QRectF(QPointF(iconLeft, (b.height() - 10 - iconSize.height()) / 2), iconSize);
        textX = iconLeft + iconSize.width() + iconGap;
    }
    const int textWidth = int(b.width() - textX - rightMargin);
    const qreal mid = (b.height() + 20) / 2;  // distance of the title's base from the bottom

    QSizeF t = calcTextSize(title, textWidth);
    if (t.height() > 40)
        t.setHeight(20);
    l.title = QRectF(textX, b.height() - mid - t.height(), t.width(), t.height());
    const QSizeF s = calcTextSize(subTitle, textWidth);
    l.subTitle = QRectF(textX, b.height() - mid, s.width(), s.height());
    return l;
}

void ToolItemView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QString slice = curBackgroundImage();
    if (!slice.isEmpty())
        SliceAssistant::draw3PartImage(&p, QRectF(rect()), slice, QStringLiteral("ToolboxSlice"));
    const Layout l = layoutFor(QSizeF(size()), m_favicon.isNull() ? QSizeF() : QSizeF(m_favicon.size()), m_title,
                               m_subTitle);
    if (!m_favicon.isNull())
        p.drawImage(l.icon, m_favicon);
    auto drawText = [&p](const QRectF &r, const Text &t) {
        if (t.isEmpty())
            return;
        p.save();
        p.setClipRect(r);
        p.setFont(t.font);
        p.setPen(t.color);
        const QFontMetricsF fm(t.font);
        if (r.height() < 2 * fm.height()) {
            // A box cut to one line ends the text with an ellipsis rather than half a line.
            p.drawText(r, Qt::AlignLeft | Qt::AlignTop, fm.elidedText(t.string, Qt::ElideRight, r.width()));
        } else {
            p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, t.string);
        }
        p.restore();
    };
    drawText(l.title, m_title);
    drawText(l.subTitle, m_subTitle);
}
