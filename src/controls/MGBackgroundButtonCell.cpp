#include "controls/MGBackgroundButtonCell.h"

#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"
#include "controls/slices/SlicesManager.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>

#include <cmath>

QString MGBackgroundButtonCell::currentBackgroundSliceName(bool enabled) const
{
    if (!enabled)
        return bgDisableSliceName;
    if (mouseOver)
        return bgHoverSliceName;
    if (mouseDown)
        return bgDownSliceName;
    return bgNormalSliceName;
}

QFont MGBackgroundButtonCell::titleFont()
{
    if (!m_titleFont) {
        QFont f = QFontDatabase::hasFamily(QStringLiteral("Helvetica")) ? QFont(QStringLiteral("Helvetica"))
                                                                         : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        f.setPixelSize(18);
        m_titleFont = f;
    }
    return *m_titleFont;
}

QColor MGBackgroundButtonCell::textColor()
{
    if (!m_textColor)
        m_textColor = QColor(110, 110, 110);
    return *m_textColor;
}

QColor MGBackgroundButtonCell::currentTitleColor(bool enabled)
{
    if (enabled && (mouseOver || mouseDown))
        return Qt::white;
    return textColor();
}

QString MGBackgroundButtonCell::backgroundSheet(const QString &slice) const
{
    if (!alterImageName.isEmpty() && !SlicesManager::defaultManager().hasSlice(slice, imageName))
        return alterImageName;
    return imageName;
}

void MGBackgroundButtonCell::drawWithFrame(QPainter *p, const QRectF &frame, QWidget *view)
{
    const bool enabled = view->isEnabled();
    const qreal h = frame.height();
    p->save();
    if (!enabled)
        p->setOpacity(0.5);
    const QString bg = currentBackgroundSliceName(enabled);
    ControlSlices::drawSlice(p, frame, bg, backgroundSheet(bg), drawMode == 0 || drawMode == 1 ? drawMode : 2);

    const QString iconName = currentSliceNameWithSetTextColor(enabled);
    const QImage icon = ControlSlices::image(iconName, imageName);
    const auto layout = ControlGeometry::backgroundButtonLayout(frame, iconSize, ControlSlices::pointSize(icon));
    if (!icon.isNull())
        p->drawImage(ControlGeometry::toQt(layout.iconRect, h), icon);

    if (!title.isEmpty()) {
        const QFont font = titleFont();
        const QFontMetricsF fm(font);
        const QRectF t = layout.textArea;
        const QRectF bounding = fm.boundingRect(QRectF(0, 0, t.width(), t.height()), Qt::TextWordWrap, title);
        QRectF r(t.x(), t.y() + (t.height() - bounding.height()) * 0.5, bounding.width(), bounding.height());
        r = QRectF(std::floor(r.x()), std::floor(r.y()), std::ceil(r.width()), std::ceil(r.height()));
        p->setFont(font);
        p->setPen(currentTitleColor(enabled));
        p->drawText(ControlGeometry::toQt(r, h), Qt::AlignLeft | Qt::TextWordWrap, title);
    }
    p->restore();
}
