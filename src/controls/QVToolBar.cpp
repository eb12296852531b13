#include "controls/QVToolBar.h"

#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"
#include "controls/QVToolBarItem.h"
#include "controls/slices/SliceAssistant.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <climits>

using namespace TableGeometry;

namespace {
const QColor BadgeRed(255, 81, 78);

bool isZero(const QSizeF &s) { return s.width() == 0 && s.height() == 0; }
} // namespace

QVToolBar::QVToolBar(QWidget *parent) : QWidget(parent)
{
    m_backgroundGradient.setColorAt(0, QColor::fromRgbF(0.33, 0.33, 0.33));
    m_backgroundGradient.setColorAt(1, QColor::fromRgbF(0.40, 0.40, 0.40));
    setMouseTracking(true);
}

QVToolBar::~QVToolBar() { qDeleteAll(m_items); }

void QVToolBar::addItem(QVToolBarItem *item)
{
    if (!item || m_items.contains(item))
        return;
    item->setParent(nullptr);
    m_items.append(item);
}

void QVToolBar::selectItemWithItemIdentifier(const QString &identifier)
{
    if (m_barType == 1 || (m_selectedItem && m_selectedItem->itemIdentifier() == identifier))
        return;
    QVToolBarItem *found = toolBarItemWithIdentifier(identifier);
    if (!found)
        return;
    if (found->isEnabled()) {
        if (m_selectedItem)
            m_selectedItem->setSelected(false);
        found->setSelected(true);
        m_selectedItem = found;
    }
    layoutToolBar();
}

void QVToolBar::selectItemWithTag(int tag)
{
    if (m_barType == 1)
        return;
    QVToolBarItem *found = toolBarItemWithTag(tag);
    if (!found || !found->isEnabled())
        return;
    if (m_selectedItem && m_selectedItem != found)
        m_selectedItem->setSelected(false);
    found->setSelected(true);
    m_selectedItem = found;
    layoutToolBar();
}

QVToolBarItem *QVToolBar::toolBarItemWithIdentifier(const QString &identifier) const
{
    for (QVToolBarItem *item : m_items)
        if (item->itemIdentifier() == identifier)
            return item;
    return nullptr;
}

QVToolBarItem *QVToolBar::toolBarItemWithTag(int tag) const
{
    for (QVToolBarItem *item : m_items)
        if (item->tag() == tag)
            return item;
    return nullptr;
}

QRectF QVToolBar::getItemFrame(const QVToolBarItem *item) const
{
    const int index = m_items.indexOf(const_cast<QVToolBarItem *>(item));
    if (index < 0 || index >= m_frames.size())
        return {};
    return m_frames.at(index);
}

QVToolBarItem *QVToolBar::selectedItem() const
{
    for (QVToolBarItem *item : m_items)
        if (item->isSelected())
            return item;
    return nullptr;
}

void QVToolBar::removeAllBarItem()
{
    m_selectedItem = nullptr;
    qDeleteAll(m_items);
    m_items.clear();
    m_frames.clear();
    m_showItemCount = 100;
    m_hoverIndex = NotFound;
}

void QVToolBar::layoutToolBar()
{
    if (m_directionMode == 0) {
        m_maxWitdh = width();
    } else {
        int sum = 0;
        if (m_directionMode == 1) {
            const int count = std::min<int>(m_showItemCount, m_items.size());
            for (int i = 0; i < count; ++i) {
                const QVToolBarItem *item = m_items.at(i);
                if (!item->isVisabled())
                    continue;
                const qreal w = isZero(m_itemSize) ? itemSizeForToolBarItem(item).width() : m_itemSize.width();
                sum += int(w) + m_itemSpace;
            }
        }
        m_maxWitdh = sum;
        m_maxHeight = height();
    }
    update();
}

void QVToolBar::resetUnselect()
{
    if (!m_selectedItem)
        return;
    m_selectedItem->setSelected(false);
    m_selectedItem = nullptr;
    update();
}

void QVToolBar::resetUnMouseOver()
{
    if (m_hoverIndex == NotFound)
        return;
    if (m_hoverIndex >= 0 && m_hoverIndex < m_items.size())
        m_items.at(m_hoverIndex)->setMouseOver(false);
    m_hoverIndex = NotFound;
    update();
}

QFont QVToolBar::labelFontFor(const QVToolBarItem *item) const
{
    return item->isSelected() ? item->selectedFont() : item->labelFont();
}

qreal QVToolBar::heightForStringDrawing(const QString &text, const QFont &font, qreal width)
{
    if (text.isEmpty())
        return 0;
    const QFontMetricsF fm(font);
    return fm.boundingRect(QRectF(0, 0, width, INT_MAX), Qt::TextWordWrap, text).height();
}

QSizeF QVToolBar::labelSizeForItem(const QVToolBarItem *item) const
{
    if (m_directionMode == 1) {
        const QFontMetricsF fm(labelFontFor(item));
        return QSizeF(fm.horizontalAdvance(item->label()), item->label().isEmpty() ? 0 : fm.height());
    }
    const qreal w = width() - 4;
    return QSizeF(w, heightForStringDrawing(item->label(), item->labelFont(), w));
}

QSizeF QVToolBar::itemSizeForToolBarItem(const QVToolBarItem *item) const
{
    ToolBarItemMeasure m;
    m.imagePosition = item->imagePosition();
    m.margin = item->imageHorMargin();
    m.label = labelSizeForItem(item);
    m.image = ControlSlices::pointSize(item->image());
    const QImage s = item->isSelected() ? item->selectedImage() : item->image();
    m.hasStateImage = !s.isNull();
    return toolBarItemSize(m, QSizeF(size()), m_directionMode);
}

QRectF QVToolBar::itemFrameAtIndex(int index) const
{
    QList<QSizeF> sizes;
    for (const QVToolBarItem *item : m_items)
        sizes.append(itemSizeForToolBarItem(item));
    return toolBarFrameAtIndex(sizes, index, m_directionMode);
}

int QVToolBar::indexAt(const QPointF &widgetPoint)
{
    if (m_items.isEmpty())
        return NotFound;
    m_mouseDownPoint = QPointF(widgetPoint.x(), height() - widgetPoint.y());
    return toolBarHitIndex(m_frames, m_mouseDownPoint, m_showItemCount);
}

void QVToolBar::paintEvent(QPaintEvent *)
{
    if (m_showItemCount > m_items.size())
        m_showItemCount = int(m_items.size());
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_backgroundColor)
        p.fillRect(rect(), *m_backgroundColor);
    QList<ToolBarPassItem> pass;
    for (int i = 0; i < m_showItemCount; ++i) {
        const QVToolBarItem *item = m_items.at(i);
        ToolBarPassItem entry;
        entry.visible = item->isVisabled();
        if (entry.visible)
            entry.size = isZero(m_itemSize) ? itemSizeForToolBarItem(item) : m_itemSize;
        pass.append(entry);
    }
    m_frames = toolBarFrames(pass, m_showItemCount, m_directionMode, height(), m_itemMoveUpPix, m_itemSpace);
    for (int i = 0; i < m_frames.size(); ++i)
        if (pass.at(i).visible)
            drawItem(&p, m_items.at(i), m_frames.at(i));
}

void QVToolBar::drawStateSlice(QPainter *p, const QVToolBarItem *item, const QString &slice, const QRectF &r,
                               int mode)
{
    if (slice.isEmpty())
        return;
    if (mode == 1)
        SliceAssistant::draw3PartImage(p, r, slice, item->imageName());
    else if (mode == 2)
        SliceAssistant::draw9PartImage(p, r, slice, item->imageName());
    else
        SliceAssistant::drawScaled(p, r, slice, item->imageName());
}

void QVToolBar::drawItem(QPainter *p, QVToolBarItem *item, const QRectF &R)
{
    const qreal H = height();
    const QImage C = item->currentImage();
    const QImage I = item->image();
    const QSizeF L = labelSizeForItem(item);
    const int pos = item->imagePosition();
    const bool hasImage = !I.isNull();
    const ToolBarItemLayout layout =
        toolBarItemLayout(pos, R, L, !item->label().isEmpty(), item->imageHorMargin(), ControlSlices::pointSize(C),
                          ControlSlices::pointSize(I), hasImage, item->isNewOrHot());
    const QRectF qtItem = ControlGeometry::toQt(R, H);
    // Disabled items draw at half strength, as every disabled control does.
    p->save();
    if (!item->isEnabled())
        p->setOpacity(0.5);

    if (layout.stateBackground) {
        const QString slice = item->isSelected() ? item->downSliceName() : item->isMouseOver() ? item->hoverSliceName() : QString();
        const std::optional<QColor> fill = item->isSelected() ? m_selectedColor : item->isMouseOver() ? m_mouseOverColor : std::nullopt;
        if (!slice.isEmpty() && ControlSlices::image(slice, item->imageName()).isNull() == false)
            SliceAssistant::draw3PartImage(p, qtItem, slice, item->imageName());
        else if (fill)
            p->fillRect(qtItem, *fill);
    }
    if (layout.sliceFillsItem)
        drawStateSlice(p, item, item->currentSliceName(), qtItem, item->drawMode());
    if (!layout.image.isNull()) {
        QImage picture = C;
        if (pos == ImageAbove)
            picture = item->isNewOrHot() && !item->hotImage().isNull() ? item->hotImage() : I;
        p->drawImage(ControlGeometry::toQt(layout.image, H), picture);
        if (pos == ImageAbove)
            item->setIcoFrame(layout.image);
    }
    if (!layout.label.isNull()) {
        p->setFont(labelFontFor(item));
        p->setPen(item->isSelected() ? item->selectedLabelColor() : item->labelColor());
        const QRectF lr = ControlGeometry::toQt(layout.label, H);
        const bool truncate = !isZero(m_itemSize);
        QString text = item->label();
        if (truncate)
            text = QFontMetricsF(p->font()).elidedText(text, Qt::ElideRight, lr.width());
        // Layouts 0 and 2 draw one line at a point; the others draw into the rectangle from its top.
        const int flags = (pos == NoImage || pos == ImageLeft) ? int(Qt::AlignLeft | Qt::AlignTop)
                                                                 : int(Qt::AlignHCenter | Qt::AlignTop) |
                                                                       (truncate ? 0 : int(Qt::TextWordWrap));
        p->drawText(lr, flags, text);
    }
    if (item->isNewOrHot() && item->hotImage().isNull()) {
        const QRectF dot = ControlGeometry::toQt(toolBarRedDot(R, layout.anchor), H);
        p->setPen(Qt::NoPen);
        p->setBrush(BadgeRed);
        p->drawRoundedRect(dot, dot.width() / 2, dot.height() / 2);
    }
    p->restore();
}

void QVToolBar::mousePressEvent(QMouseEvent *event)
{
    m_mouseDownIndex = indexAt(event->position());
    if (m_mouseDownIndex != NotFound) {
        QVToolBarItem *item = m_items.at(m_mouseDownIndex);
        if (item->isEnabled() && !item->isSelected())
            item->setMouseDown(true);
    }
    QWidget::mousePressEvent(event);
    repaint();
}

void QVToolBar::mouseReleaseEvent(QMouseEvent *event)
{
    const int index = indexAt(event->position());
    // A press that ends elsewhere leaves no item looking pressed.
    for (QVToolBarItem *item : std::as_const(m_items))
        item->setMouseDown(false);
    if (index == NotFound || index != m_mouseDownIndex) {
        repaint();
        QWidget::mouseReleaseEvent(event);
        return;
    }
    QVToolBarItem *item = m_items.at(index);
    repaint();
    closeTip();
    if (item->isEnabled() && !item->isSelected()) {
        if (m_delegate && !m_delegate->toolBarShouldSelectItem(this, item))
            return;
        if (item->isNewOrHot() && item->isClickHideNewOrHot()) {
            item->setNewOrHot(false);
            repaint();
        }
        selectItemWithItemIdentifier(item->itemIdentifier());
        QPointer<QVToolBarItem> guard(item);
        item->targetAction().send(item);
        if (!guard)
            return;
    }
    QWidget::mouseReleaseEvent(event);
}

void QVToolBar::mouseMoveEvent(QMouseEvent *event)
{
    if (m_isDisableMouseMove)
        return;
    const int index = indexAt(event->position());
    if (index == NotFound) {
        if (m_isShowTip)
            closeTip();
        resetUnMouseOver();
    } else if (index != m_hoverIndex) {
        QVToolBarItem *item = m_items.at(index);
        if (m_isShowTip && item->isEnabled())
            showTip(index);
        if (m_hoverIndex != NotFound && m_hoverIndex >= 0 && m_hoverIndex < m_items.size())
            m_items.at(m_hoverIndex)->setMouseOver(false);
        if (!item->isEnabled())
            return;
        m_hoverIndex = index;
        item->setMouseOver(true);
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void QVToolBar::enterEvent(QEnterEvent *event)
{
    m_hoverIndex = NotFound;
    QWidget::enterEvent(event);
}

void QVToolBar::leaveEvent(QEvent *event)
{
    for (QVToolBarItem *item : std::as_const(m_items))
        item->setMouseDown(false);
    closeTip();
    QWidget::leaveEvent(event);
    resetUnMouseOver();
}

void QVToolBar::showTip(int index)
{
    const QString label = m_items.at(index)->label();
    if (label.isEmpty()) {
        closeTip();
        return;
    }
    const QRectF f = m_frames.value(index);
    // Mid-x of the item, 16 points below its top edge (y-up), in widget coordinates.
    const QPointF upPoint(f.center().x(), f.y() + f.height() - 16);
    const QPoint widgetPoint(int(upPoint.x()), int(height() - upPoint.y()));
    QToolTip::showText(mapToGlobal(widgetPoint), label, this);
}

void QVToolBar::closeTip() { QToolTip::hideText(); }
