#include "controls/MGCheckButton.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

MGCheckButton::MGCheckButton(QWidget *parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    m_cell.setControlView(this);
}

void MGCheckButton::setState(int state)
{
    if (m_cell.state() == state)
        return;
    m_cell.setState(state);
    QAbstractButton::setChecked(state == 1);
    update();
    emit stateChanged(state);
}

void MGCheckButton::setTitle(const QString &title)
{
    m_cell.setTitle(title);
    setText(title);
    updateGeometry();
    update();
}

void MGCheckButton::setTextColor(const QColor &c)
{
    m_textColor = c;
    update();
}

QSize MGCheckButton::sizeHint() const
{
    const QFontMetrics fm(font());
    return QSize(16 + 6 + fm.horizontalAdvance(m_cell.title()) + 4, std::max(18, fm.height() + 2));
}

void MGCheckButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    m_cell.drawWithFrame(&p, QRectF(rect()), this, textColor());
}

// Qt sends no pointer events to a disabled button, which draws its disabled picture.
void MGCheckButton::enterEvent(QEnterEvent *event)
{
    m_cell.mouseDown = false;
    m_cell.mouseOver = true;
    update();
    QAbstractButton::enterEvent(event);
}

void MGCheckButton::leaveEvent(QEvent *event)
{
    m_cell.mouseDown = false;
    m_cell.mouseOver = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void MGCheckButton::mousePressEvent(QMouseEvent *event)
{
    m_cell.mouseDown = true;
    m_cell.mouseOver = false;
    update();
    QAbstractButton::mousePressEvent(event);
}

void MGCheckButton::mouseReleaseEvent(QMouseEvent *event)
{
    QAbstractButton::mouseReleaseEvent(event);
    m_cell.mouseDown = false;
    m_cell.mouseOver = false;
    update();
}

void MGCheckButton::nextCheckState()
{
    // Off goes on, on goes off; mixed goes on.
    setState(m_cell.state() == 1 ? 0 : 1);
}

void MGCheckButton::checkStateSet()
{
    const int want = isChecked() ? 1 : 0;
    if (m_cell.state() != want && !(m_cell.state() == -1 && !isChecked()))
        setState(want);
}
