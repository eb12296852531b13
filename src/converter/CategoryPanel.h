#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QWidget>

class CMMenuData;
struct CMMenuItem;
class QToolButton;

// What the category strip tells the cascade panel.
class CategoryPanelDelegate
{
public:
    virtual ~CategoryPanelDelegate() = default;
    virtual void CategoryItemDidSelected(CMMenuItem *category) = 0;
};

// The strip of format categories above the preset grid: a row of boxes (picture and title),
// five in sight with the standard sizes, and arrows that scroll it by one box. The chosen
// category is drawn with its "_sel" picture, a green title and a notch into the grid below.
// Geometry is worked out in the strip's y-up coordinates by the pure functions below and
// turned into widget coordinates once.
class CategoryPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int LeftDis = 16;  // outer margin of the arrows
    static constexpr int TopDis = 0;    // y of every box
    static constexpr int FirstDis = 10; // extra left offset of the first box in sight
    static constexpr int MinWidthDis = 0;

    struct Metrics
    {
        int widthDis = 0;    // width of each arrow button
        int maxBoxCount = 0; // boxes in sight at once
        int itemWidth = 0;
        int itemHeight = 0;
    };
    static Metrics metricsFor(qreal frameWidth, const QSizeF &itemSize);
    // Each category's box (y-up) for n categories scrolled by xMove boxes.
    static QList<QRectF> boxFrames(int n, int xMove, const Metrics &m, qreal frameWidth);
    // Which arrows show: {left, right}.
    static std::pair<bool, bool> arrowsVisible(int n, int xMove, int maxBoxCount);

    CategoryPanel(const QSizeF &frame, const QSizeF &itemSize, QWidget *parent = nullptr);

    void setMenuData(CMMenuData *data);
    CMMenuData *menuData() const { return m_menuData; }
    void setDelegate(CategoryPanelDelegate *delegate) { m_delegate = delegate; }
    void updateView();
    void setSelParentItemID(int categoryID);
    void doForword();
    void doBack();
    void moveToIndex(int index);
    int xMoveValue() const { return m_xMoveValue; }
    void setButtonEnable(bool on);
    bool isEnable() const { return m_isEnable; }
    void setIsEnable(bool on) { m_isEnable = on; }
    const Metrics &metrics() const { return m_metrics; }
    QToolButton *forwardButton() const { return m_btnForword; }
    QToolButton *backButton() const { return m_btnBack; }
    // The category whose box holds a widget point, or null.
    CMMenuItem *categoryAt(const QPoint &point) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QRectF qtFrame(const QRectF &upFrame) const;

    CMMenuData *m_menuData = nullptr;
    CategoryPanelDelegate *m_delegate = nullptr;
    QToolButton *m_btnForword = nullptr;
    QToolButton *m_btnBack = nullptr;
    bool m_isEnable = true;
    int m_xMoveValue = 0;
    Metrics m_metrics;
    QSizeF m_itemSize;
};
