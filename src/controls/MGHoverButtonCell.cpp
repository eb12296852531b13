#include "controls/MGHoverButtonCell.h"

#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>

QString MGHoverButtonCell::currentSliceNameWithSetTextColor(bool enabled)
{
    ControlGeometry::HoverCellLooks looks{normalSliceName, hoverSliceName, downSliceName, disableSliceName,
                                          normalColor, overTextColor, downTextColor, disableColor};
    const auto choice = ControlGeometry::hoverCellChoice(looks, enabled, mouseOver, mouseDown);
    changeTextColor(choice.titleColor);
    return choice.slice;
}

void MGHoverButtonCell::changeTextColor(const std::optional<QColor> &color)
{
    if (title.isEmpty() || !color)
        return;
    titleColor = color;
}

QString MGHoverButtonCell::currentIconSliceName(bool enabled) const
{
    return ControlGeometry::hoverIconChoice(iconSliceName, hoverIconSliceName, downIconSliceName, enabled,
                                            mouseOver, mouseDown);
}

void MGHoverButtonCell::drawWithFrame(QPainter *p, const QRectF &frame, QWidget *view)
{
    const bool enabled = view->isEnabled();
    const QString slice = currentSliceNameWithSetTextColor(enabled);
    p->save();
    if (!enabled)
        p->setOpacity(0.5);
    if (bgColor)
        p->fillRect(frame, *bgColor);
    ControlSlices::drawHoverSlice(p, frame, slice, imageName, drawMode);
    if (drawRedOval) {
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(Qt::NoPen);
        p->setBrush(QColor(255, 81, 78));
        p->drawRoundedRect(ControlGeometry::redOvalRect(frame, true), 3.5, 3.5);
    }
    drawTitle(p, frame, view);
    p->restore();
}

void MGHoverButtonCell::drawTitle(QPainter *p, const QRectF &frame, QWidget *view)
{
    const QRectF r = textDrawRect.value_or(frame);
    const QFontMetricsF fm(view->font());
    const QSizeF ts(title.isEmpty() ? 0 : fm.horizontalAdvance(title), fm.height());
    const QString iconName = currentIconSliceName(view->isEnabled());
    const QImage icon = ControlSlices::image(iconName, imageName);
    const auto layout = ControlGeometry::hoverTitleLayout(r, ts, ControlSlices::pointSize(icon), !icon.isNull(),
                                                          iconTitleSpace);
    if (!icon.isNull())
        ControlSlices::drawImageAt(p, layout.iconRect.topLeft(), icon);
    if (title.isEmpty())
        return;
    p->setFont(view->font());
    p->setPen(titleColor.value_or(view->palette().color(QPalette::ButtonText)));
    if (layout.titleFits)
        p->drawText(layout.titleRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title);
    else
        p->drawText(layout.titleRect, Qt::AlignCenter | Qt::TextWordWrap, title);
}
