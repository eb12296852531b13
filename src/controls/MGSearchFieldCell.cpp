#include "controls/MGSearchFieldCell.h"

#include "controls/ControlSlices.h"

#include <QAction>
#include <QIcon>
#include <QPainter>

namespace {
// An icon that draws the slice at the given size; the slice picture is left as it is.
QIcon sliceIcon(const QString &normal, const QString &active, const QString &sheet, QSize size)
{
    QIcon icon;
    for (const auto &[name, mode] : {std::pair{normal, QIcon::Normal}, std::pair{active, QIcon::Active}}) {
        const QImage src = ControlSlices::image(name, sheet);
        if (src.isNull())
            continue;
        const qreal ratio = src.devicePixelRatio();
        QImage scaled = src.scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(ratio);
        icon.addPixmap(QPixmap::fromImage(scaled), mode);
    }
    return icon;
}
} // namespace

MGSearchFieldCell::MGSearchFieldCell(QWidget *parent) : QLineEdit(parent)
{
    setFrame(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
    m_search = addAction(sliceIcon(QStringLiteral("mainform-357_"), QStringLiteral("mainform-359_"), m_imageName,
                                   QSize(15, 16)),
                         QLineEdit::LeadingPosition);
    m_cancel = addAction(sliceIcon(QStringLiteral("mainform-86_"), QStringLiteral("mainform-86_"), m_imageName,
                                   QSize(17, 17)),
                         QLineEdit::TrailingPosition);
    m_cancel->setVisible(false);
    connect(m_cancel, &QAction::triggered, this, [this] {
        clear();
        emit textEdited(QString());
    });
    connect(this, &QLineEdit::textChanged, this, [this](const QString &t) { m_cancel->setVisible(!t.isEmpty()); });
    // The search text sits 5 points further right and 8 points narrower than the platform's.
    setTextMargins(5, 0, 3, 0);
}

QSize MGSearchFieldCell::sizeHint() const
{
    return QSize(QLineEdit::sizeHint().width(), 28);
}

void MGSearchFieldCell::drawWithSliceName(QPainter *p, const QString &slice, const QRectF &frame) const
{
    ControlSlices::drawSlice(p, frame, slice, m_imageName, m_drawMode == 0 || m_drawMode == 1 ? m_drawMode : 2);
}

void MGSearchFieldCell::paintEvent(QPaintEvent *event)
{
    {
        // The platform's rounded search field look, in the theme's colours.
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QPen(hasFocus() ? QColor(32, 192, 91) : QColor(213, 218, 224), hasFocus() ? 1.5 : 1));
        p.setBrush(Qt::white);
        p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    }
    QLineEdit::paintEvent(event);
}
