#include "controls/MGCheckBoxCell.h"

#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

MGCheckBoxCell::MGCheckBoxCell()
{
    initDefaultImages();
}

void MGCheckBoxCell::initDefaultImages()
{
    auto s = [](int n) { return ControlSlices::image(QStringLiteral("mainform-%1").arg(n)); };
    normalImageOnState = s(243);
    normalImageOffState = s(178);
    normalImageMixState = s(287);
    hoverImageOnState = s(244);
    hoverImageOffState = s(180);
    hoverImageMixState = s(288);
    alterImageOnState = s(245);
    alterImageOffState = s(182);
    alterImageMixState = s(289);
    disableImageOnState = s(246);
    disableImageOffState = s(184);
    disableImageMixState = s(290);
    mouseOver = false;
    mouseDown = false;
}

QImage MGCheckBoxCell::currentImage(bool enabled) const
{
    const QImage *group[4][3] = {
        {&normalImageOnState, &normalImageOffState, &normalImageMixState},
        {&hoverImageOnState, &hoverImageOffState, &hoverImageMixState},
        {&alterImageOnState, &alterImageOffState, &alterImageMixState},
        {&disableImageOnState, &disableImageOffState, &disableImageMixState},
    };
    const int look = ControlGeometry::checkBoxLook(enabled, mouseOver, mouseDown);
    switch (m_state) {
    case 1: return *group[look][0];
    case 0: return *group[look][1];
    case -1: return *group[look][2];
    default: return {};
    }
}

void MGCheckBoxCell::drawWithFrame(QPainter *p, const QRectF &frame, QWidget *view, const QColor &textColor)
{
    const QImage image = currentImage(view->isEnabled());
    if (image.isNull()) {
        // No picture for this look: the platform's own check box.
        QStyleOptionButton opt;
        opt.initFrom(view);
        opt.rect = frame.toRect();
        opt.text = m_title;
        opt.state |= m_state == 1 ? QStyle::State_On : m_state == -1 ? QStyle::State_NoChange : QStyle::State_Off;
        view->style()->drawControl(QStyle::CE_CheckBox, &opt, p, view);
        return;
    }
    if (backgroundColor)
        p->fillRect(frame, *backgroundColor);
    const qreal h = frame.height();
    // The layout rules are written bottom-up; the frame starts at the view's origin.
    const QRectF upFrame(frame.x(), 0, frame.width(), h);
    const auto layout = ControlGeometry::checkBoxLayout(upFrame, ControlSlices::pointSize(image));
    ControlSlices::drawImageAt(p, ControlGeometry::toQt(layout.imageRect, h).topLeft(), image);
    if (m_title.isEmpty())
        return;
    const QFontMetricsF fm(view->font());
    const QSizeF bounding(fm.horizontalAdvance(m_title), fm.height());
    const QRectF titleRect = ControlGeometry::toQt(ControlGeometry::checkBoxTitleRect(layout.titleArea, bounding), h);
    p->setFont(view->font());
    p->setPen(textColor);
    p->drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_title);
}
