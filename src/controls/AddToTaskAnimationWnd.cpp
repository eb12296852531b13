#include "controls/AddToTaskAnimationWnd.h"

#include "controls/PopoverGeometry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

using namespace PopoverGeometry;

AddToTaskAnimationWnd::AddToTaskAnimationWnd(QWidget *host) : QWidget(host)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    if (host) {
        setGeometry(host->rect());
        host->installEventFilter(this);
    }
    hide();
}

AddToTaskAnimationWnd::~AddToTaskAnimationWnd() = default;

bool AddToTaskAnimationWnd::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == parent() && e->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, e);
}

QImage AddToTaskAnimationWnd::pill(const QSizeF &size)
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QImage img((size * ratio).toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(ratio);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    const qreal r = size.height() * 0.5;
    path.addRoundedRect(QRectF(QPointF(0, 0), size), r, r);
    p.fillPath(path, QColor::fromRgbF(28 / 255.0f, 216 / 255.0f, 87 / 255.0f, 1.0f));
    return img;
}

void AddToTaskAnimationWnd::animateImage(const QImage &image, const QRectF &from, const QRectF &to)
{
    Layer layer;
    layer.from = qtToUp(from, height());
    layer.to = qtToUp(to, height());
    layer.image = image.isNull() ? pill(from.size()) : image;
    layer.animation = new QVariantAnimation(this);
    layer.animation->setStartValue(0.0);
    layer.animation->setEndValue(FlightSeconds);
    layer.animation->setDuration(int(FlightSeconds * 1000));
    QVariantAnimation *group = layer.animation;
    connect(group, &QVariantAnimation::valueChanged, this, [this] { update(); });
    connect(group, &QVariantAnimation::finished, this, [this, group] { animationDidStop(group); });
    m_layers.append(layer);
    show();
    raise();
    group->start();
}

QVariantAnimation *AddToTaskAnimationWnd::flightAnimation(int index) const
{
    return index >= 0 && index < m_layers.size() ? m_layers.at(index).animation : nullptr;
}

QRectF AddToTaskAnimationWnd::flightRect(int index) const
{
    if (index < 0 || index >= m_layers.size())
        return {};
    const Layer &l = m_layers.at(index);
    const FlightFrame f = flightAt(l.from, l.to, l.animation->currentTime() / 1000.0);
    const QRectF up(f.centre - QPointF(f.size.width() / 2, f.size.height() / 2), f.size);
    return upToQt(up, height());
}

qreal AddToTaskAnimationWnd::flightOpacity(int index) const
{
    if (index < 0 || index >= m_layers.size())
        return 0;
    const Layer &l = m_layers.at(index);
    return flightAt(l.from, l.to, l.animation->currentTime() / 1000.0).opacity;
}

void AddToTaskAnimationWnd::animationDidStop(QVariantAnimation *group)
{
    emit animationWindowDidStop();
    for (int i = int(m_layers.size()) - 1; i >= 0; --i) {
        if (m_layers.at(i).animation == group) {
            group->deleteLater();
            m_layers.removeAt(i);
        }
    }
    if (m_layers.isEmpty())
        hide();
    update();
}

void AddToTaskAnimationWnd::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < m_layers.size(); ++i) {
        p.setOpacity(flightOpacity(i));
        p.drawImage(flightRect(i), m_layers.at(i).image);
    }
}
