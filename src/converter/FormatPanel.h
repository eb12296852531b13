#pragma once

#include "converter/SubFormatView.h"

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QWidget>

struct CMMenuItem;
class NotificationCenter;

class FormatPanelDelegate
{
public:
    virtual ~FormatPanelDelegate() = default;
    virtual void getSelectedFormatInfo(int formatID) = 0;
};

// The grid of preset tiles of one category inside the cascade panel's scroll area. It grows
// downwards by whole rows when the tiles do not fit and always opens at its top row. Selection
// is announced as "SelectedItemNotification" (object: the preset identifier) on the grid's own
// centre, so two sheets alive at once (Convert page, Download page) never select in each other.
class FormatPanel : public QWidget, public SubFormatViewDelegate
{
    Q_OBJECT
public:
    static constexpr int SubLeftDis = 5; // horizontal gap between tiles
    static constexpr int SubTopDis = 0;  // vertical gap between rows
    static constexpr int LeftDis = 40;   // left margin
    static constexpr int TopDis = 10;    // bottom margin

    struct Grid
    {
        qreal panelHeight = 0;
        QList<QRectF> tiles; // y-up in the panel
    };
    static int columnsFor(qreal frameWidth, const QSizeF &tile);
    // Tiles of n presets for the panel's home frame (only its height matters).
    static Grid gridFor(int n, int columns, qreal homeHeight, const QSizeF &tile);

    FormatPanel(const QRectF &frame, const QSizeF &tileSize, QWidget *parent = nullptr);

    void setDelegate(FormatPanelDelegate *delegate) { m_delegate = delegate; }
    NotificationCenter &selectionCenter() { return *m_center; }
    void setMenuItem(CMMenuItem *category);
    CMMenuItem *menuItem() const { return m_menuItem; }
    void updateView();
    void setSelSubItemID(int formatID);
    int selectedID() const { return m_selectedID; }
    void resetResolution(int width, int height, int formatID);
    const QList<SubFormatView *> &tiles() const { return m_subViewArr; }
    SubFormatView *tileForID(int formatID) const;
    int columns() const { return m_maxRowCount; }
    void setHomeFrame(const QRectF &frame) { m_oldViewFrame = frame; }
    QRectF homeFrame() const { return m_oldViewFrame; }

    void seletedSubFormatView(int formatID, const QRectF &rect) override;
    void seletedFormatParamInfo(int formatID) override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CMMenuItem *m_menuItem = nullptr;
    QList<SubFormatView *> m_subViewArr;
    int m_selectedID = -1;
    QSizeF m_tile;
    int m_maxRowCount = 1;
    QRectF m_oldViewFrame;
    FormatPanelDelegate *m_delegate = nullptr;
    NotificationCenter *m_center = nullptr;
};
