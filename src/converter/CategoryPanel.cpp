#include "converter/CategoryPanel.h"

#include "controls/ControlGeometry.h"
#include "converter/CMMenuData.h"
#include "converter/ImageManager.h"
#include "shell/UIManager.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include <cmath>

namespace {

const QColor SelectedTitle(32, 192, 91);

QImage categoryImage(const QString &name)
{
    return g_imageMgr ? g_imageMgr->imageWithSliceId(name, QStringLiteral("formatIcons")) : QImage();
}

QToolButton *arrowButton(QWidget *parent, const QString &normal, const QString &pressed)
{
    auto *b = new QToolButton(parent);
    b->setAutoRaise(true);
    const QImage n = UIManager::sliceNamedInMain(normal);
    const QImage p = UIManager::sliceNamedInMain(pressed);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(n), QIcon::Normal, QIcon::Off);
    icon.addPixmap(QPixmap::fromImage(p), QIcon::Active, QIcon::On);
    b->setIcon(icon);
    if (!n.isNull())
        b->setIconSize((QSizeF(n.size()) / n.devicePixelRatio()).toSize());
    b->setStyleSheet(QStringLiteral("QToolButton{border:none;background:transparent;}"));
    b->hide();
    return b;
}

} // namespace

CategoryPanel::Metrics CategoryPanel::metricsFor(qreal frameWidth, const QSizeF &itemSize)
{
    Metrics m;
    m.itemWidth = int(itemSize.width());
    m.itemHeight = int(itemSize.height());
    m.widthDis = int(((itemSize.width() + 20) * -5 + frameWidth) * 0.5 - 16);
    const qreal pitch = MinWidthDis + itemSize.width();
    m.maxBoxCount = pitch > 0 ? int((frameWidth - 2 * m.widthDis - 2 * LeftDis) / pitch) : 0;
    return m;
}

QList<QRectF> CategoryPanel::boxFrames(int n, int xMove, const Metrics &m, qreal frameWidth)
{
    const qreal pitch = m.itemWidth + 20 + MinWidthDis;
    QList<QRectF> frames;
    for (int i = 0; i < n; ++i) {
        const int p = i + xMove;
        qreal x;
        if (p < 0)
            x = pitch * p;
        else if (p < m.maxBoxCount)
            x = pitch * p + 16 + FirstDis + m.widthDis;
        else
            x = std::trunc(pitch * (p - m.maxBoxCount) + frameWidth + 12);
        frames << QRectF(x, TopDis, m.itemWidth, m.itemHeight);
    }
    return frames;
}

std::pair<bool, bool> CategoryPanel::arrowsVisible(int n, int xMove, int maxBoxCount)
{
    return {xMove < 0, xMove + n > maxBoxCount};
}

CategoryPanel::CategoryPanel(const QSizeF &frame, const QSizeF &itemSize, QWidget *parent)
    : QWidget(parent)
    , m_itemSize(itemSize)
{
    setObjectName(QStringLiteral("CategoryPanel"));
    resize(frame.toSize());
    m_metrics = metricsFor(frame.width(), itemSize);
    m_btnForword = arrowButton(this, QStringLiteral("mainform-623"), QStringLiteral("mainform-627"));
    m_btnForword->setObjectName(QStringLiteral("CategoryForward"));
    m_btnBack = arrowButton(this, QStringLiteral("mainform-658"), QStringLiteral("mainform-660"));
    m_btnBack->setObjectName(QStringLiteral("CategoryBack"));
    connect(m_btnForword, &QToolButton::clicked, this, [this] { doForword(); });
    connect(m_btnBack, &QToolButton::clicked, this, [this] { doBack(); });
    setFocusPolicy(Qt::ClickFocus);
}

QRectF CategoryPanel::qtFrame(const QRectF &upFrame) const { return ControlGeometry::toQt(upFrame, height()); }

void CategoryPanel::resizeEvent(QResizeEvent *)
{
    m_metrics = metricsFor(width(), m_itemSize);
    m_btnForword->setGeometry(LeftDis, 0, qMax(0, m_metrics.widthDis), height());
    m_btnBack->setGeometry(width() - LeftDis - m_metrics.widthDis, 0, qMax(0, m_metrics.widthDis), height());
    updateView();
}

void CategoryPanel::setMenuData(CMMenuData *data) { m_menuData = data; }

void CategoryPanel::updateView()
{
    const int n = m_menuData ? int(m_menuData->menuItemArray().size()) : 0;
    const auto [left, right] = arrowsVisible(n, m_xMoveValue, m_metrics.maxBoxCount);
    m_btnForword->setVisible(left);
    m_btnBack->setVisible(right);
    if (m_menuData) {
        const QList<QRectF> frames = boxFrames(n, m_xMoveValue, m_metrics, width());
        for (int i = 0; i < n; ++i)
            m_menuData->menuItemArray()[i]->frame = frames[i];
    }
    update();
}

void CategoryPanel::setSelParentItemID(int categoryID)
{
    if (!m_menuData)
        return;
    for (const auto &item : m_menuData->menuItemArray()) {
        if (item->iID == categoryID) {
            m_menuData->setSelItem(item.get());
            if (m_delegate)
                m_delegate->CategoryItemDidSelected(item.get());
            update();
            return;
        }
    }
}

void CategoryPanel::doForword()
{
    ++m_xMoveValue;
    updateView();
}

void CategoryPanel::doBack()
{
    --m_xMoveValue;
    updateView();
}

void CategoryPanel::moveToIndex(int index)
{
    m_xMoveValue = index;
    updateView();
}

void CategoryPanel::setButtonEnable(bool on)
{
    m_btnForword->setEnabled(on);
    m_btnBack->setEnabled(on);
}

CMMenuItem *CategoryPanel::categoryAt(const QPoint &point) const
{
    if (!m_menuData)
        return nullptr;
    for (const auto &item : m_menuData->menuItemArray())
        if (qtFrame(item->frame).contains(point))
            return item.get();
    return nullptr;
}

void CategoryPanel::mousePressEvent(QMouseEvent *event)
{
    if (!m_isEnable || !m_menuData)
        return;
    CMMenuItem *item = categoryAt(event->position().toPoint());
    if (!item)
        return;
    m_menuData->setSelItem(item);
    if (m_delegate)
        m_delegate->CategoryItemDidSelected(item);
    update();
}

void CategoryPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    if (!m_menuData)
        return;
    QFont font = this->font();
    font.setPixelSize(14);
    p.setFont(font);
    const QFontMetricsF fm(font);
    CMMenuItem *selected = m_menuData->selItem();
    auto draw = [&](const CMMenuItem &item, bool isSelected) {
        const QRectF box = qtFrame(item.frame);
        const QImage img = categoryImage(isSelected ? item.sImage + QStringLiteral("_sel") : item.sImage);
        if (!img.isNull()) {
            const QSizeF s = QSizeF(img.size()) / img.devicePixelRatio();
            // Centred across the box and in a box 2 points taller that starts 2 points lower.
            const QRectF area = box.adjusted(0, 0, 0, 2);
            p.drawImage(QRectF(area.center().x() - s.width() / 2, area.center().y() - s.height() / 2, s.width(),
                               s.height()),
                        img);
        }
        const qreal tw = fm.horizontalAdvance(item.sTitle);
        const qreal upY = item.frame.y() + (isSelected ? 14 : 12);
        const QRectF up(item.frame.x() + (item.frame.width() - tw) / 2, upY, tw + 2, fm.height() + 2);
        p.setPen(isSelected ? SelectedTitle : QColor(Qt::black));
        p.drawText(qtFrame(up), Qt::AlignLeft | Qt::AlignVCenter, item.sTitle);
    };
    for (const auto &item : m_menuData->menuItemArray())
        if (item.get() != selected)
            draw(*item, false);
    if (selected) {
        draw(*selected, true);
        // The notch that opens the strip into the grid below the chosen category.
        const qreal c = selected->frame.center().x();
        QPainterPath notch;
        notch.moveTo(qtFrame(QRectF(c - 10, 0, 0, 0)).topLeft());
        notch.lineTo(qtFrame(QRectF(c, 10, 0, 0)).topLeft());
        notch.lineTo(qtFrame(QRectF(c + 10, 0, 0, 0)).topLeft());
        notch.closeSubpath();
        p.fillPath(notch, palette().color(QPalette::Button));
    }
}
