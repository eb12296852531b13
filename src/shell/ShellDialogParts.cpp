#include "shell/ShellDialogParts.h"

#include "controls/MGHoverButton.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace ShellDialogParts {

QPixmap accentBadge(const std::function<void(QPainter &)> &drawSign)
{
    QPixmap pm(44, 44);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath circle;
    circle.addEllipse(QRectF(2, 2, 40, 40));
    p.fillPath(circle, QColor(0xf2, 0xa5, 0x2b));
    if (drawSign)
        drawSign(p);
    return pm;
}

QLabel *wrappedLabel(QWidget *parent, Qt::Alignment alignment, int pixelSize, const QString &color)
{
    auto *label = new QLabel(parent);
    label->setWordWrap(true);
    label->setAlignment(alignment);
    QFont f = label->font();
    f.setPixelSize(pixelSize);
    label->setFont(f);
    label->setStyleSheet(QStringLiteral("color: %1;").arg(color));
    return label;
}

MGHoverButton *dialogButton(QWidget *parent, const QString &objectName, int displayType, const QString &title)
{
    auto *b = new MGHoverButton(parent);
    b->setObjectName(objectName);
    b->setButtonDisplayType(displayType);
    if (!title.isNull())
        b->setTitle(title);
    return b;
}

void placeButtonsFromRight(const QList<QWidget *> &rightToLeft, int rightEdge, int y, int minWidth, int height)
{
    int right = rightEdge;
    for (QWidget *b : rightToLeft) {
        if (b->isHidden())
            continue;
        const int w = std::max(minWidth, b->sizeHint().width());
        b->setGeometry(right - w, y, w, height);
        right -= w + 10;
    }
}

} // namespace ShellDialogParts
