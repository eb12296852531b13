#include "controls/MGHoverButton.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

MGHoverButton::MGHoverButton(QWidget *parent) : MGHoverButton(std::make_unique<MGHoverButtonCell>(), parent) {}

MGHoverButton::MGHoverButton(std::unique_ptr<MGHoverButtonCell> cell, QWidget *parent)
    : QAbstractButton(parent), m_cell(std::move(cell))
{
    m_cell->drawMode = 1;
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

MGHoverButton *MGHoverButton::fromLayout(QWidget *parent)
{
    auto *b = new MGHoverButton(parent);
    b->setButtonDisplayType(0);
    b->setButtonType(0);
    b->setLockButtonState(false);
    return b;
}

MGHoverButton::~MGHoverButton() = default;

void MGHoverButton::setButtonDisplayType(int type)
{
    m_cell->drawMode = 1;
    m_cell->imageName = QStringLiteral("mainform");
    struct Preset
    {
        int first;
        int pixelSize;  // classic points are logical pixels
        QColor normal, hover, down, disabled;
    };
    const QColor green(32, 192, 91), black(0, 0, 0), white(255, 255, 255);
    Preset p;
    switch (type) {
    case 1: p = {40, 12, black, green, green, QColor(197, 197, 197)}; break;
    case 2: p = {67, 14, black, green, green, QColor(197, 197, 197)}; break;
    case 3: p = {56, 12, green, green, green, QColor(186, 186, 186)}; break;
    case 4: p = {89, 12, white, white, white, QColor(186, 186, 186)}; break;
    case 5: p = {62, 14, white, white, white, QColor(186, 186, 186)}; break;
    default: return;
    }
    auto name = [&](int k) { return QStringLiteral("mainform-%1").arg(p.first + k); };
    m_cell->normalSliceName = name(0);
    m_cell->hoverSliceName = name(1);
    m_cell->downSliceName = name(2);
    m_cell->disableSliceName = name(3);
    QFont f = font();
    f.setPixelSize(p.pixelSize);
    setFont(f);
    m_cell->normalColor = p.normal;
    m_cell->overTextColor = p.hover;
    m_cell->downTextColor = p.down;
    m_cell->disableColor = p.disabled;
    m_cell->changeTextColor(p.normal);
    update();
}

void MGHoverButton::setLockButtonState(bool locked)
{
    if (!locked) {
        m_cell->mouseDown = false;
        m_cell->mouseOver = false;
    }
    m_cell->lockButtonState = locked;
}

QColor MGHoverButton::textColor() const
{
    if (m_cell->title.isEmpty() || !m_cell->titleColor)
        return palette().color(QPalette::ButtonText);
    return *m_cell->titleColor;
}

void MGHoverButton::setTextColor(const QColor &color)
{
    m_cell->normalColor = color;
    m_cell->changeTextColor(color);
    update();
}

void MGHoverButton::setTitle(const QString &title)
{
    m_cell->title = title;
    setText(title);
    if (m_cell->normalColor)
        m_cell->changeTextColor(m_cell->normalColor);
    update();
}

void MGHoverButton::setState(int state)
{
    if (!isCheckable())
        setCheckable(true);
    setChecked(state != 0);
}

QSize MGHoverButton::sizeHint() const
{
    const QFontMetrics fm(font());
    return QSize(std::max(80, fm.horizontalAdvance(m_cell->title) + 32), 28);
}

void MGHoverButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    m_cell->drawWithFrame(&p, QRectF(rect()), this);
}

void MGHoverButton::enterEvent(QEnterEvent *event)
{
    if (isEnabled() && !m_cell->lockButtonState) {
        m_cell->mouseOver = true;
        m_cell->mouseDown = false;
        update();
    }
    QAbstractButton::enterEvent(event);
}

void MGHoverButton::leaveEvent(QEvent *event)
{
    if (isEnabled() && !m_cell->lockButtonState) {
        m_cell->mouseOver = false;
        update();
    }
    QAbstractButton::leaveEvent(event);
}

void MGHoverButton::mousePressEvent(QMouseEvent *event)
{
    if (isEnabled() && event->button() == Qt::LeftButton) {
        m_cell->mouseDown = true;
        m_cell->mouseOver = false;
        if (m_cell->buttonType == 1)
            setLockButtonState(true);
        update();
    }
    QAbstractButton::mousePressEvent(event);
}

void MGHoverButton::mouseReleaseEvent(QMouseEvent *event)
{
    // The base sends the action when released inside.
    QAbstractButton::mouseReleaseEvent(event);
    if (!m_cell->lockButtonState) {
        m_cell->mouseDown = false;
        m_cell->mouseOver = false;
        update();
    }
}
