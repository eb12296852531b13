#include "controls/EditMenuItem.h"

#include "controls/ColorHex.h"
#include "controls/ControlSlices.h"
#include "controls/PopoverGeometry.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QResizeEvent>

namespace {
QFont systemFont(qreal size)
{
    QFont f;
    f.setPixelSize(int(size));
    return f;
}
} // namespace

EditMenuItem::EditMenuItem(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

EditMenuItem *EditMenuItem::create(const QString &title, QObject *target, const char *action)
{
    if (title.isNull())
        return nullptr;
    auto *item = new EditMenuItem;
    item->m_title = title;
    item->m_action = TargetAction(target, action);
    const qreal w = QFontMetricsF(systemFont(11)).boundingRect(QRectF(0, 0, 200, 25), Qt::TextWordWrap, title).width();
    item->m_titleRect = QRectF(8.5, -1.0, w, 25.0);
    item->resize(int(std::ceil(w + 17.0)), 30);
    item->m_titleFont = systemFont(13);
    item->m_titleColor = QColor::fromRgbF(87 / 255.0f, 87 / 255.0f, 87 / 255.0f, 1.0f);
    return item;
}

EditMenuItem *EditMenuItem::separator()
{
    auto *item = new EditMenuItem;
    item->resize(57, 1);
    item->m_bSeparator = true;
    item->m_isEnable = false;
    return item;
}

void EditMenuItem::setTitleFont(const QFont &font, const QColor &color)
{
    m_titleFont = font;
    m_titleColor = color;
    update();
}

void EditMenuItem::mouseEntered()
{
    m_bMouseIn = true;
    update();
}

void EditMenuItem::mouseExited()
{
    m_bMouseIn = false;
    update();
}

bool EditMenuItem::sendTargetAction()
{
    if (!m_isEnable)
        return false;
    return m_action.send(this);
}

void EditMenuItem::resizeEvent(QResizeEvent *e)
{
    if (e->size().width() > e->oldSize().width() && e->oldSize().width() >= 0)
        m_titleRect.setWidth(e->size().width() - 17.0);
    QWidget::resizeEvent(e);
}

void EditMenuItem::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool hovered = m_isEnable && m_bMouseIn && !m_bSeparator;
    QColor bg = Qt::white, ink = m_titleColor;
    if (hovered) {
        bg = QColor::fromRgbF(0.18f, 0.76f, 0.38f);
        ink = Qt::white;
    } else if (!m_isEnable) {
        bg = m_bSeparator ? ColorHex::colorWithHexString(QStringLiteral("#e6ecf2")) : QColor(Qt::white);
        ink = ColorHex::colorWithHexString(QStringLiteral("#ccd5de"));
    }
    p.fillRect(rect(), bg);
    QImage check = m_selectImage.isNull() ? ControlSlices::image(QStringLiteral("Guidancemap-125"), QStringLiteral("Guidancemap"))
                                          : m_selectImage;
    if (m_isSelected) {
        QImage shown = check;
        if (hovered)
            shown = m_hightlightSelectImage.isNull()
                        ? ControlSlices::image(QStringLiteral("Guidancemap-127"), QStringLiteral("Guidancemap"))
                        : m_hightlightSelectImage;
        const QSizeF s = ControlSlices::pointSize(shown);
        ControlSlices::drawImageAt(&p, QPointF(8.5, (height() - s.height()) / 2), shown);
    }
    m_titleRect.moveLeft(ControlSlices::pointSize(check).width() + 8.5 + 5.0);
    if (m_title.isEmpty() || m_bSeparator)
        return;
    p.setFont(m_titleFont);
    p.setPen(ink);
    const QRectF r = PopoverGeometry::upToQt(m_titleRect, height());
    const QFontMetricsF fm(m_titleFont);
    // One line, cut off at the end when it does not fit; centred on the row.
    const QRectF line(r.x(), (height() - fm.height()) / 2, std::max<qreal>(0, width() - r.x() - 4), fm.height());
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, fm.elidedText(m_title, Qt::ElideRight, line.width()));
}
