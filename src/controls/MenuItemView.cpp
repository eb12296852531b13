#include "controls/MenuItemView.h"

#include "controls/ControlSlices.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

namespace {
QFont titleFont()
{
    QFont f;
    f.setPixelSize(11);
    return f;
}
} // namespace

MenuItemView::MenuItemView(QWidget *parent) : QWidget(parent) {}

MenuItemView::~MenuItemView()
{
    m_target = nullptr;
    m_selector.clear();
}

QRectF MenuItemView::titleRect() const
{
    const QFontMetricsF fm(titleFont());
    const QRectF measured = fm.boundingRect(QRectF(0, 0, 200, 26), Qt::TextSingleLine, m_title);
    const qreal x = m_icon.isNull() ? 16.0 : 10.0 + ControlSlices::pointSize(m_icon).width() + 6.0;
    return QRectF(x, (height() - measured.height()) / 2, std::min<qreal>(measured.width(), width() - x),
                  measured.height());
}

void MenuItemView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QColor ink = Qt::black;
    if (m_isEnable)
        m_bgColor = m_isSelected ? QColor::fromRgbF(221 / 255.0f, 237 / 255.0f, 252 / 255.0f) : QColor(Qt::white);
    else {
        m_bgColor = Qt::white;
        ink = Qt::gray;
    }
    p.fillRect(rect(), m_bgColor);
    if (!m_icon.isNull()) {
        const QSizeF s = ControlSlices::pointSize(m_icon);
        ControlSlices::drawImageAt(&p, QPointF(10.0, (height() - s.height()) / 2), m_icon);
    }
    if (m_title.isEmpty())
        return;
    p.setFont(titleFont());
    p.setPen(ink);
    const QRectF r = titleRect();
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, QFontMetricsF(titleFont()).elidedText(m_title, Qt::ElideRight, r.width()));
}

void MenuItemView::mousePressEvent(QMouseEvent *e)
{
    m_isSelected = !m_isSelected;
    if (m_isEnable)
        TargetAction(m_target, m_selector.constData()).send(this);
    QWidget::mousePressEvent(e);
    update();
}
