#include "controls/TabShowView.h"

#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"
#include "controls/slices/SliceAssistant.h"

#include <QFontMetricsF>
#include <QPainter>

TabShowView::TabShowView(QWidget *parent) : QWidget(parent)
{
    setup();
}

void TabShowView::setup()
{
    m_icon = ControlSlices::image(QStringLiteral("toolbox-123_"), QStringLiteral("ToolboxSlice"));
    m_left = 28;
    m_right = 35;
}

void TabShowView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF b(rect());
    SliceAssistant::draw3PartImage(&p, b, QStringLiteral("toolbox-150_"), QStringLiteral("ToolboxSlice"));
    const QFontMetricsF fm(font());
    const QSizeF caption(fm.horizontalAdvance(m_caption), fm.height());
    const auto layout = ControlGeometry::tabHeaderLayout(b, ControlSlices::pointSize(m_icon), !m_icon.isNull(), m_left,
                                                         m_right, caption);
    if (!m_icon.isNull())
        p.drawImage(ControlGeometry::toQt(layout.iconRect, height()), m_icon);
    if (m_caption.isEmpty() || layout.captionRect.width() <= 0)
        return;
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(ControlGeometry::toQt(layout.captionRect, height()),
               Qt::AlignLeft | Qt::AlignVCenter | (layout.twoLines ? Qt::TextWordWrap : Qt::TextSingleLine),
               m_caption);
}
