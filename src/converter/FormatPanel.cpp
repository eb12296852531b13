#include "converter/FormatPanel.h"

#include "controls/ControlGeometry.h"
#include "converter/CMMenuData.h"
#include "platform/NotificationCenter.h"

#include <QPainter>

#include <cmath>

int FormatPanel::columnsFor(qreal frameWidth, const QSizeF &tile)
{
    return qMax(1, int((frameWidth - 40) / (int(tile.width()) + 5)));
}

FormatPanel::Grid FormatPanel::gridFor(int n, int columns, qreal homeHeight, const QSizeF &tile)
{
    Grid g;
    const int tw = int(tile.width()), th = int(tile.height());
    const int pitch = th + SubTopDis;
    const int visible = pitch > 0 ? int(homeHeight / pitch) : 0;
    const int rows = int(double(n) / columns + 0.999);
    g.panelHeight = rows > visible ? homeHeight + (rows - visible) * pitch : homeHeight;
    for (int r = 0; r < rows; ++r) {
        // The first row is the top one; a single row stands in the top visible slot.
        const int slot = rows == 1 ? visible - 1 : rows - 1 - r;
        for (int c = 0; c < columns; ++c) {
            const int k = r * columns + c;
            if (k >= n)
                break;
            g.tiles << QRectF((SubLeftDis + tw) * c + LeftDis, pitch * slot + TopDis, tw, th);
        }
    }
    return g;
}

FormatPanel::FormatPanel(const QRectF &frame, const QSizeF &tileSize, QWidget *parent)
    : QWidget(parent)
    , m_tile(tileSize)
    , m_oldViewFrame(frame)
    , m_center(new NotificationCenter)
{
    m_center->setParent(this);
    setObjectName(QStringLiteral("FormatPanel"));
    setGeometry(frame.toRect());
    m_maxRowCount = columnsFor(frame.width(), tileSize);
}

void FormatPanel::setMenuItem(CMMenuItem *category)
{
    m_menuItem = category;
    qDeleteAll(m_subViewArr);
    m_subViewArr.clear();
    if (category) {
        for (const auto &sub : category->subItemArray) {
            auto *tile = new SubFormatView(this);
            tile->setGeometry(0, 0, 1, 1);
            tile->setDelegate(this);
            tile->observeSelections(*m_center);
            tile->setImagePath(sub->sImage);
            tile->setFormatID(sub->iID);
            tile->setFormatTitle(sub->sTitle);
            tile->setDescription(sub->sDescription);
            tile->hide();
            m_subViewArr << tile;
        }
    }
    updateView();
}

void FormatPanel::updateView()
{
    m_maxRowCount = columnsFor(width(), m_tile);
    const Grid g = gridFor(int(m_subViewArr.size()), m_maxRowCount, m_oldViewFrame.height(), m_tile);
    if (g.panelHeight > m_oldViewFrame.height())
        resize(width(), int(g.panelHeight));
    for (int k = 0; k < m_subViewArr.size() && k < g.tiles.size(); ++k) {
        m_subViewArr[k]->setViewFrame(ControlGeometry::toQt(g.tiles[k], height()).toRect());
        m_subViewArr[k]->show();
        if (m_subViewArr[k]->formatID() == m_selectedID)
            m_subViewArr[k]->notifyItemSelectedChange(m_selectedID);
    }
    update();
}

void FormatPanel::setSelSubItemID(int formatID)
{
    m_selectedID = formatID;
    m_center->post(QStringLiteral("SelectedItemNotification"), formatID);
}

void FormatPanel::seletedSubFormatView(int formatID, const QRectF &) { setSelSubItemID(formatID); }

void FormatPanel::seletedFormatParamInfo(int formatID)
{
    if (m_delegate)
        m_delegate->getSelectedFormatInfo(formatID);
}

SubFormatView *FormatPanel::tileForID(int formatID) const
{
    for (SubFormatView *t : m_subViewArr)
        if (t->formatID() == formatID)
            return t;
    return nullptr;
}

void FormatPanel::resetResolution(int width, int height, int formatID)
{
    if (SubFormatView *t = tileForID(formatID)) {
        t->setMtNewResolution(QStringLiteral("%1*%2").arg(width).arg(height));
        t->setResChanged(true);
    }
}

void FormatPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
}
