#include "controls/MTPopUpButtonCell.h"

#include "controls/AppImages.h"
#include "controls/ControlSlices.h"

#include <QPainter>

MTPopUpButtonCell::MTPopUpButtonCell(QWidget *parent) : QComboBox(parent) {}

MTPopUpButtonCell::ClassImages &MTPopUpButtonCell::classImages()
{
    static ClassImages images{AppImages::named(QStringLiteral("select_l")), AppImages::named(QStringLiteral("select_m")),
                              AppImages::named(QStringLiteral("select_r"))};
    return images;
}

bool MTPopUpButtonCell::ownImages() const
{
    return !m_leftImage.isNull() && !m_rightImage.isNull() && !m_middleImage.isNull();
}

QRectF MTPopUpButtonCell::bezelRect() const
{
    const ClassImages &c = classImages();
    const QImage &left = ownImages() ? m_leftImage : c.left;
    if (!ownImages() && (c.left.isNull() || c.middle.isNull() || c.right.isNull()))
        return {};
    return QRectF(0, 0, width(), ControlSlices::pointSize(left).height());
}

QRectF MTPopUpButtonCell::titleRectForBounds(const QRectF &b) const
{
    QRectF r = b.adjusted(8, 0, -30, 0);  // the right cap holds the chevron
    if (!m_titleImage.isNull()) {
        r.moveLeft(b.x() + ControlSlices::pointSize(m_titleImage).width() + 7.0);
        r.setWidth(r.width() - 10.0);
    }
    return r;
}

void MTPopUpButtonCell::setTitleAttribute(const QColor &color)
{
    m_titleColor = color;
    update();
}

void MTPopUpButtonCell::showPopup()
{
    setTitleAttribute(Qt::black);
    QComboBox::showPopup();
}

void MTPopUpButtonCell::hidePopup()
{
    QComboBox::hidePopup();
    setTitleAttribute(Qt::white);
}

void MTPopUpButtonCell::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        p.setOpacity(0.5);
    const QRectF bezel = bezelRect();
    if (!bezel.isEmpty()) {
        const ClassImages &c = classImages();
        if (ownImages())
            AppImages::drawThreePart(&p, bezel, m_leftImage, m_middleImage, m_rightImage, false);
        else
            AppImages::drawThreePart(&p, bezel, c.left, c.middle, c.right, false);
    }
    const QRectF area = bezel.isEmpty() ? QRectF(rect()) : bezel;
    QFont font = this->font();
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(m_titleColor);
    const QRectF title = titleRectForBounds(area);
    p.drawText(title, Qt::AlignLeft | Qt::AlignVCenter, p.fontMetrics().elidedText(currentText(), Qt::ElideRight, int(title.width())));
    // The open-list chevron in the right cap.
    const QPointF c(area.right() - 13, area.center().y());
    QPen pen(m_titleColor, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.drawPolyline(QPolygonF{c + QPointF(-3.5, -1.5), c + QPointF(0, 2), c + QPointF(3.5, -1.5)});
}
