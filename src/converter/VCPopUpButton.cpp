#include "converter/VCPopUpButton.h"

#include "converter/ImageManager.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionComboBox>

VCPopUpButton::VCPopUpButton(QWidget *parent)
    : QComboBox(parent)
{
    QFont f = font();
    f.setPointSizeF(11);
    setFont(f);
}

void VCPopUpButton::setBUsePushDownImage(bool on)
{
    m_bUsePushDownImage = on;
    update();
}

void VCPopUpButton::setPullsDown(bool on)
{
    m_pullsDown = on;
    update();
}

QStringList VCPopUpButton::bezelImageNames(bool highlighted, bool usePushDownImage, bool pullsDown)
{
    const QString state = highlighted || usePushDownImage ? QStringLiteral("P") : QStringLiteral("N");
    const QString right = pullsDown ? QStringLiteral("PullDownRight") : QStringLiteral("VCPopupBtnRight");
    return {QStringLiteral("VCPopupBtnLeft") + state, QStringLiteral("VCPopupBtnFill") + state, right + state};
}

QSize VCPopUpButton::sizeHint() const
{
    QSize s = QComboBox::sizeHint();
    const QImage fill = g_popupButtonImages.value(QStringLiteral("VCPopupBtnFillN"));
    if (!fill.isNull())
        s.setHeight(int(fill.height() / fill.devicePixelRatio()));
    return s;
}

void VCPopUpButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QStringList names = bezelImageNames(view()->isVisible(), m_bUsePushDownImage, m_pullsDown);
    const QImage left = g_popupButtonImages.value(names[0]);
    const QImage fill = g_popupButtonImages.value(names[1]);
    const QImage right = g_popupButtonImages.value(names[2]);
    const QRect r = rect();
    if (left.isNull() || fill.isNull() || right.isNull()) {
        // No sheet loaded: a flat dark bezel of the same shape.
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.setBrush(QColor(m_bUsePushDownImage ? 0x30 : 0x55, 0x5A, 0x60));
        p.drawRoundedRect(r.adjusted(0, 0, -1, -1), 4, 4);
    } else {
        const int h = qMin(r.height(), int(fill.height() / fill.devicePixelRatio()));
        const int y = (r.height() - h) / 2;
        const int lw = int(left.width() / left.devicePixelRatio());
        const int rw = int(right.width() / right.devicePixelRatio());
        p.drawImage(QRect(0, y, lw, h), left);
        p.drawImage(QRect(lw, y, qMax(0, r.width() - lw - rw), h), fill);
        p.drawImage(QRect(r.width() - rw, y, rw, h), right);
    }
    // The sheet's bezel is light: dark text, grey while disabled.
    p.setPen(isEnabled() ? QColor(0x1F, 0x29, 0x33) : QColor::fromRgbF(0.6, 0.6, 0.6));
    const QRect text = r.adjusted(8, 1, -20, 0);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, fontMetrics().elidedText(currentText(), Qt::ElideRight, text.width()));
}
