#pragma once

#include "controls/TableGeometry.h"

#include <QColor>
#include <QLinearGradient>
#include <QList>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QWidget>

#include <optional>

class QVToolBar;
class QVToolBarItem;

// Asked before a click selects an item; false refuses the selection.
class QVToolBarDelegate
{
public:
    virtual ~QVToolBarDelegate() = default;
    virtual bool toolBarShouldSelectItem(QVToolBar *bar, QVToolBarItem *item) = 0;
};

// A drawn bar of page items in a column (top to bottom) or a row (left to right). It keeps one
// selected item, tracks hover, press and tips, and sends a clicked item's target its action.
// Frames are recorded in the bar's y-up coordinates by each paint, and hit tests use the frames
// of the last paint.
class QVToolBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int NotFound = TableGeometry::NotFound;

    explicit QVToolBar(QWidget *parent = nullptr);
    ~QVToolBar() override;

    void addItem(QVToolBarItem *item);  // the bar takes the item; null is ignored
    void selectItemWithItemIdentifier(const QString &identifier);
    void selectItemWithTag(int tag);
    QVToolBarItem *toolBarItemWithIdentifier(const QString &identifier) const;
    QVToolBarItem *toolBarItemWithTag(int tag) const;
    QRectF getItemFrame(const QVToolBarItem *item) const;
    QVToolBarItem *selectedItem() const;
    QList<QVToolBarItem *> allBarItem() const { return m_items; }
    void removeAllBarItem();
    void setShowCount(int count) { m_showItemCount = count; }
    int showCount() const { return m_showItemCount; }
    void layoutToolBar();
    void resetUnselect();
    void resetUnMouseOver();
    void display() { repaint(); }

    // Measuring.
    QSizeF labelSizeForItem(const QVToolBarItem *item) const;
    QSizeF itemSizeForToolBarItem(const QVToolBarItem *item) const;
    static qreal heightForStringDrawing(const QString &text, const QFont &font, qreal width);
    QRectF itemFrameAtIndex(int index) const;
    // Index of the item under a point in widget coordinates (stored as the last hit point).
    int indexAt(const QPointF &widgetPoint);

    bool shouldDrawSeparate() const { return m_drawSeparateLine; }
    void setDrawSeparateLine(bool on) { m_drawSeparateLine = on; }
    int itemSizeMode() const { return m_itemSizeMode; }
    void setItemSizeMode(int m) { m_itemSizeMode = m; }
    QLinearGradient backgroundGradient() const { return m_backgroundGradient; }
    void setBackgroundGradient(const QLinearGradient &g) { m_backgroundGradient = g; }
    QVToolBarDelegate *delegate() const { return m_delegate; }
    void setDelegate(QVToolBarDelegate *d) { m_delegate = d; }
    int directionMode() const { return m_directionMode; }
    void setDirectionMode(int m) { m_directionMode = m; }
    int barType() const { return m_barType; }
    void setBarType(int t) { m_barType = t; }
    std::optional<QColor> backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const std::optional<QColor> &c) { m_backgroundColor = c; }
    std::optional<QColor> selectedColor() const { return m_selectedColor; }
    void setSelectedColor(const std::optional<QColor> &c) { m_selectedColor = c; }
    std::optional<QColor> mouseOverColor() const { return m_mouseOverColor; }
    void setMouseOverColor(const std::optional<QColor> &c) { m_mouseOverColor = c; }
    bool isShowTip() const { return m_isShowTip; }
    void setIsShowTip(bool on) { m_isShowTip = on; }
    QSizeF itemSize() const { return m_itemSize; }
    void setItemSize(const QSizeF &s) { m_itemSize = s; }
    int maxWitdh() const { return m_maxWitdh; }
    int maxHeight() const { return m_maxHeight; }
    int itemSpace() const { return m_itemSpace; }
    void setItemSpace(int s) { m_itemSpace = s; }
    int itemMoveUpPix() const { return m_itemMoveUpPix; }
    void setItemMoveUpPix(int p) { m_itemMoveUpPix = p; }
    bool isDisableMouseMove() const { return m_isDisableMouseMove; }
    void setIsDisableMouseMove(bool on) { m_isDisableMouseMove = on; }
    int hoverIndex() const { return m_hoverIndex; }
    int mouseDownIndex() const { return m_mouseDownIndex; }
    QPointF mouseDownPoint() const { return m_mouseDownPoint; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void drawItem(QPainter *p, QVToolBarItem *item, const QRectF &upRect);
    void drawStateSlice(QPainter *p, const QVToolBarItem *item, const QString &slice, const QRectF &qtRect, int mode);
    QFont labelFontFor(const QVToolBarItem *item) const;
    void showTip(int index);
    void closeTip();

    QList<QVToolBarItem *> m_items;
    QList<QRectF> m_frames;
    int m_itemSizeMode = 0;
    bool m_drawSeparateLine = true;
    QPointer<QVToolBarItem> m_selectedItem;
    QLinearGradient m_backgroundGradient;
    QVToolBarDelegate *m_delegate = nullptr;
    int m_showItemCount = 100;
    int m_directionMode = 0;
    int m_barType = 0;
    std::optional<QColor> m_backgroundColor;
    std::optional<QColor> m_selectedColor;
    std::optional<QColor> m_mouseOverColor;
    QPointF m_mouseDownPoint;
    int m_mouseDownIndex = 0;
    int m_hoverIndex = NotFound;  // no item is hovered before the first move
    bool m_isShowTip = false;
    QSizeF m_itemSize{0, 0};
    int m_maxWitdh = 0;
    int m_maxHeight = 0;
    int m_itemSpace = 2;
    int m_itemMoveUpPix = 0;
    bool m_isDisableMouseMove = false;
};
