#include "converter/SubFormatView.h"

#include "controls/ControlGeometry.h"
#include "converter/ImageManager.h"
#include "platform/NotificationCenter.h"
#include "shell/UIManager.h"

#include <QEnterEvent>
#include <QPainter>
#include <QToolButton>

#include <cmath>

namespace {

QImage mainWndImage(const QString &name)
{
    return g_imageMgr ? g_imageMgr->imageWithSliceId(name, QStringLiteral("MainWnd")) : QImage();
}

QSizeF pointSize(const QImage &img) { return img.isNull() ? QSizeF() : QSizeF(img.size()) / img.devicePixelRatio(); }

} // namespace

QRectF SubFormatView::innerRect(const QSizeF &tile)
{
    return QRectF(std::trunc(tile.width() * 0.1), std::trunc(tile.height() * 0.1), std::trunc(tile.width() * 0.8),
                  std::trunc(tile.height() * 0.8));
}

QRectF SubFormatView::pictureFrame(const QSizeF &tile, qreal q, bool enlarged)
{
    const qreal factor = enlarged ? 1.0 : 0.8;
    qreal w, h;
    if (q <= 1) {
        h = (tile.height() - 59) * factor;
        w = q * h;
    } else {
        w = (tile.width() - 20) * factor;
        h = w / q;
    }
    return QRectF((tile.width() - w) / 2, 49, w, h);
}

QString SubFormatView::shownTitle(const QString &title, qreal tileWidth,
                                  const std::function<qreal(const QString &)> &width)
{
    if (width(title) <= tileWidth)
        return title;
    qsizetype cut = title.indexOf(QLatin1Char(','));
    if (cut < 0)
        cut = title.indexOf(QLatin1Char(' '));
    return cut < 0 ? title : title.left(cut);
}

SubFormatView::SubFormatView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("SubFormatView"));
    setAttribute(Qt::WA_Hover);
    setWindowOpacity(0.8);
    m_btnFormatParam = new QToolButton(this);
    m_btnFormatParam->setObjectName(QStringLiteral("FormatParamButton"));
    m_btnFormatParam->setAutoRaise(true);
    m_btnFormatParam->setStyleSheet(QStringLiteral("QToolButton{border:none;background:transparent;}"));
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(mainWndImage(QStringLiteral("btnParamInfo"))), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(mainWndImage(QStringLiteral("btnParamInfo_Down"))), QIcon::Active);
    m_btnFormatParam->setIcon(icon);
    const QSizeF bs = pointSize(mainWndImage(QStringLiteral("btnParamInfo")));
    m_btnFormatParam->setIconSize(bs.isEmpty() ? QSize(72, 22) : bs.toSize());
    m_btnFormatParam->resize(m_btnFormatParam->iconSize());
    m_btnFormatParam->hide();
    connect(m_btnFormatParam, &QToolButton::clicked, this, [this] { doFormatParam(); });
}

SubFormatView::~SubFormatView() = default;

void SubFormatView::observeSelections(NotificationCenter &center)
{
    center.addObserver(this, QStringLiteral("SelectedItemNotification"),
                       [this](const Notification &n) { notifyItemSelectedChange(n.object.toInt()); });
}

void SubFormatView::setImagePath(const QString &name)
{
    m_imagePath = name;
    m_picture = g_imageMgr ? g_imageMgr->imageWithSliceId(name, QStringLiteral("formatIcons")) : QImage();
    placePicture(m_hovered);
}

void SubFormatView::setViewFrame(const QRect &frame)
{
    setGeometry(frame);
    m_oldViewRect = innerRect(frame.size());
    placePicture(false);
}

void SubFormatView::placePicture(bool enlarged)
{
    const QSizeF s = pointSize(m_picture);
    const qreal q = s.isEmpty() ? 1.0 : s.width() / s.height();
    m_pictureRect = ControlGeometry::toQt(pictureFrame(size(), q, enlarged), height());
    update();
}

QRectF SubFormatView::pictureRect() const { return m_pictureRect; }

QString SubFormatView::drawnTitle() const
{
    QFont f(QStringLiteral("Helvetica"));
    f.setPixelSize(12);
    const QFontMetricsF fm(f);
    return shownTitle(m_title, width(), [&fm](const QString &t) { return fm.horizontalAdvance(t); });
}

void SubFormatView::enterEvent(QEnterEvent *)
{
    m_hovered = true;
    m_oldViewRect = rect();
    placePicture(true);
    const QSize bs = m_btnFormatParam->size();
    // y 12 from the bottom edge.
    m_btnFormatParam->move((width() - bs.width()) / 2, height() - 12 - bs.height());
    m_btnFormatParam->show();
    m_btnFormatParam->raise();
}

void SubFormatView::leaveEvent(QEvent *)
{
    m_hovered = false;
    m_btnFormatParam->hide();
    m_oldViewRect = innerRect(size());
    placePicture(false);
}

void SubFormatView::mousePressEvent(QMouseEvent *)
{
    if (!m_selected)
        select();
}

void SubFormatView::select()
{
    m_selected = true;
    if (m_delegate)
        m_delegate->seletedSubFormatView(m_id, m_oldViewRect);
    update();
}

void SubFormatView::doFormatParam()
{
    leaveEvent(nullptr);
    if (!m_selected)
        select();
    if (m_delegate)
        m_delegate->seletedFormatParamInfo(m_id);
    update();
}

void SubFormatView::notifyItemSelectedChange(int formatID)
{
    if (formatID == m_id && !m_selected) {
        m_selected = true;
        update();
    } else if (formatID != m_id && m_selected) {
        m_selected = false;
        m_resChanged = false;
        update();
    }
}

void SubFormatView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_selected) {
        const QImage sel = UIManager::sliceNamedInMain(QStringLiteral("mainform-379"));
        if (!sel.isNull())
            p.drawImage(QRectF(rect()), sel);
        else
            p.fillRect(rect(), QColor(0xE6, 0xF7, 0xEC));
    }
    if (!m_picture.isNull())
        p.drawImage(m_pictureRect, m_picture);
    QFont f(QStringLiteral("Helvetica"));
    f.setPixelSize(12);
    f.setBold(m_hovered);
    p.setFont(f);
    const QFontMetricsF fm(f);
    const QString title = m_hovered ? m_title : drawnTitle();
    const qreal tw = fm.horizontalAdvance(title);
    // y = 48 − title height from the bottom edge, in the tile's y-up terms.
    const QRectF up((width() - tw) / 2, 48 - fm.height(), tw, fm.height());
    p.setPen(m_hovered ? QColor(Qt::black) : QColor(65, 65, 65));
    p.drawText(ControlGeometry::toQt(up, height()), Qt::AlignLeft | Qt::AlignVCenter, title);
}
