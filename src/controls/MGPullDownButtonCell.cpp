#include "controls/MGPullDownButtonCell.h"

#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"

#include <QFontMetricsF>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

MGPullDownButtonCell::MGPullDownButtonCell(QWidget *parent) : QAbstractButton(parent)
{
    setDefultIconStyle(1);
}

void MGPullDownButtonCell::setDefultIconStyle(int style)
{
    if (style == 2) {
        normalIconSliceName = QStringLiteral("device-186185_");
        highlightIconSliceName = QStringLiteral("device-186191_");
    } else if (style == 0) {
        normalIconSliceName = QStringLiteral("device-186_");
        highlightIconSliceName = QStringLiteral("device-186189_");
    } else {
        normalIconSliceName = QStringLiteral("device-186184_");
        highlightIconSliceName = QStringLiteral("device-186190_");
    }
    update();
}

QString MGPullDownButtonCell::currentIconSliceName() const
{
    if (isDown())
        return highlightIconSliceName;
    return showArrow ? normalIconSliceName : highlightIconSliceName;
}

QString MGPullDownButtonCell::currentArrowSliceName() const
{
    return isDown() ? highlightArrowSliceName : normalArrowSliceName;
}

QPoint MGPullDownButtonCell::menuPosition() const
{
    // The frame's lower-left corner, 4 points lower.
    return mapToGlobal(QPoint(0, height() + 4));
}

QSize MGPullDownButtonCell::sizeHint() const
{
    return QSize(QFontMetrics(font()).horizontalAdvance(text()) + 60, 28);
}

void MGPullDownButtonCell::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (!isEnabled())
        p.setOpacity(0.5);
    const QRectF f(rect());
    const QString bg = isDown() ? highlightBGImageSliceName : normalBGImageSliceName;
    if (bg.isEmpty()) {
        QStyleOptionButton opt;
        opt.initFrom(this);
        style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, this);
    } else {
        ControlSlices::drawSlice(&p, f, bg, QStringLiteral("DeviceSlice"), drawMode == 0 || drawMode == 1 ? drawMode : 2);
    }
    const QImage icon = ControlSlices::image(currentIconSliceName(), imageName);
    const QImage arrow = ControlSlices::image(currentArrowSliceName(), QStringLiteral("DeviceSlice"));
    const auto layout = ControlGeometry::pullDownLayout(f, ControlSlices::pointSize(icon),
                                                        ControlSlices::pointSize(arrow), showArrow);
    if (!icon.isNull())
        p.drawImage(layout.iconRect, icon);
    if (showArrow && !arrow.isNull())
        p.drawImage(layout.arrowRect, arrow);
    if (!text().isEmpty()) {
        const QFontMetricsF fm(font());
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(layout.titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                   fm.elidedText(text(), Qt::ElideMiddle, layout.titleRect.width()));
    }
}

void MGPullDownButtonCell::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || !isEnabled())
        return;
    setDown(true);
    update();
    emit menuAboutToOpen();
    if (m_menu)
        m_menu->exec(menuPosition());
    setDown(false);
    update();
}
