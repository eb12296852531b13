#include "converter/UrlLabel.h"

#include "controls/LinkOpening.h"

#include <QMouseEvent>

UrlLabel::UrlLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextInteractionFlags(Qt::NoTextInteraction);
    setAutoFillBackground(false);
    setFrameShape(QFrame::NoFrame);
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * 0.9);
    setFont(f);
    setStyleSheet(QStringLiteral("color:#0000FF;"));
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
}

QUrl UrlLabel::addressToOpen(const QString &url, const QString &text)
{
    const QString spelled = (url.isEmpty() ? text : url).trimmed();
    const QUrl address(spelled, QUrl::StrictMode);
    if (!address.isValid() || address.host().isEmpty())
        return {};
    const QString scheme = address.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return {};
    return address;
}

void UrlLabel::mousePressEvent(QMouseEvent *event) { event->accept(); }

void UrlLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    const QUrl address = addressToOpen(m_url, text());
    if (address.isEmpty())
        return;
    if (LinkOpening::open(address.toString(QUrl::FullyEncoded)))
        emit opened(address);
}
