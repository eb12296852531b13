#include "controls/QVUrlLabel.h"

#include "controls/ControlGeometry.h"
#include "controls/ControlLog.h"
#include "controls/LinkOpening.h"

#include <QFontMetricsF>
#include <QMouseEvent>

QVUrlLabel::QVUrlLabel(QWidget *parent) : QLabel(parent)
{
    setMouseTracking(true);
    // As when woken from a layout: clicking on, green link colour, no hover colour.
    m_enableClick = true;
    setNormalForegroundColor(QColor(32, 192, 91));
    m_moveOverColor.reset();
    resetTrackingArea();
}

void QVUrlLabel::setNormalForegroundColor(const std::optional<QColor> &c)
{
    m_normalColor = c;
    applyColor(c);
}

void QVUrlLabel::applyColor(const std::optional<QColor> &c)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, c.value_or(QPalette().color(QPalette::WindowText)));
    setPalette(pal);
}

QColor QVUrlLabel::currentTextColor() const
{
    return palette().color(QPalette::WindowText);
}

void QVUrlLabel::setStringValue(const QString &text)
{
    setText(text.isNull() ? QString(QLatin1String("")) : text);
}

qreal QVUrlLabel::textWidth() const
{
    return QFontMetricsF(font()).horizontalAdvance(text());
}

static ControlGeometry::TextAlign alignOf(Qt::Alignment a)
{
    if (a & Qt::AlignRight)
        return ControlGeometry::TextAlign::Right;
    if (a & (Qt::AlignHCenter | Qt::AlignJustify))
        return ControlGeometry::TextAlign::Other;
    return ControlGeometry::TextAlign::Left;
}

void QVUrlLabel::resetAttributedString()
{
    applyColor(m_normalColor);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    m_textFrame = ControlGeometry::urlLabelActiveRect(QRectF(rect()), textWidth(), alignOf(alignment()));
}

void QVUrlLabel::resetAttributedStringEx()
{
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    m_textFrame = QRectF(contentsRect());
}

void QVUrlLabel::resetMoveOverAttributedString()
{
    applyColor(m_moveOverColor);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    m_textFrame = ControlGeometry::urlLabelMoveOverRect(QRectF(rect()), textWidth());
}

void QVUrlLabel::resetTrackingArea()
{
    m_trackingRect = m_textFrame;
    m_inside = false;
}

void QVUrlLabel::mouseEntered()
{
    if (!m_moveOverColor)
        return;
    resetMoveOverAttributedString();
}

void QVUrlLabel::mouseExited()
{
    if (!m_moveOverColor)
        return;
    resetAttributedString();
}

void QVUrlLabel::updateCursor(const QPointF &pos)
{
    if (m_enableClick && m_textFrame.contains(pos))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void QVUrlLabel::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    const bool inside = m_trackingRect.contains(pos);
    if (inside != m_inside) {
        m_inside = inside;
        inside ? mouseEntered() : mouseExited();
    }
    updateCursor(pos);
    QLabel::mouseMoveEvent(event);
}

void QVUrlLabel::leaveEvent(QEvent *event)
{
    if (m_inside) {
        m_inside = false;
        mouseExited();
    }
    unsetCursor();
    QLabel::leaveEvent(event);
}

void QVUrlLabel::mousePressEvent(QMouseEvent *event)
{
    // A second click of a double click arrives as a double-click event and does nothing here.
    if (!m_enableClick || event->button() != Qt::LeftButton || !m_textFrame.contains(event->position())) {
        QLabel::mousePressEvent(event);
        return;
    }
    if (m_click.answers())
        m_click.send(this);
    if (!m_url.isEmpty()) {
        ControlLog::info(QStringLiteral("mouse click to open url: %1").arg(m_url));
        LinkOpening::open(m_url);
    }
}
