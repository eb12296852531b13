#pragma once

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPointer>
#include <QTableView>

#include <functional>

#include <QMenu>
class QVTableHeaderView;

// The styled table of the list pages: a hover row, a row marked as playing, a picture for the
// empty table, a drag image with a count badge, a context menu that follows the clicked row and
// the application's alternating row colours. Rows are painted by delegates; the table paints
// row backgrounds, its selection fill and the play bar itself. The delegate callbacks of the
// classic table are signals here; those that answer something are provider functions.
class QVCustomTableView : public QTableView
{
    Q_OBJECT
public:
    explicit QVCustomTableView(QWidget *parent = nullptr);
    ~QVCustomTableView() override;

    void setModel(QAbstractItemModel *model) override;
    // Header of 26 points and a fresh header cell per column, titled from the model.
    void awakeFromNib();
    QVTableHeaderView *headerView() const { return m_header; }
    void setHeaderViewHeight(int height);
    void setHeaderNeedDrawDivider(bool on);
    void setHeaderNeedDrawTopLine(bool on);
    void setHeaderTextAlignment(Qt::Alignment alignment);
    void setHeaderTextColor(const QColor &color);
    void setHeaderBackgroundGradient(const QLinearGradient &gradient);
    // Column identifiers come from the model's TableCellRoles::ColumnIdentifierRole header data.
    void setHeaderTextMarginLeft(unsigned margin, const QString &identifier);

    int playIndex() const { return m_playIndex; }
    void setPlayIndex(int row);
    QColor highLightCellColor() const { return m_highLightCellColor; }
    void setHighLightCellColor(const QColor &c) { m_highLightCellColor = c; viewport()->update(); }
    QColor playItemColor() const { return m_playItemColor; }
    void setPlayItemColor(const QColor &c) { m_playItemColor = c; viewport()->update(); }
    QImage emptyRowImage() const { return m_emptyRowImage; }
    void setEmptyRowImage(const QImage &image) { m_emptyRowImage = image; viewport()->update(); }
    int mouseOverRow() const { return m_mouseOverRow; }
    bool isMouseOverView() const { return m_mouseOverView; }

    // The context menu (not owned).
    void setMenu(QMenu *menu) { m_menu = menu; }
    QMenu *menu() const { return m_menu; }

    // Drag pictures: a view for one row, a picture for several.
    void setItemViewProvider(std::function<QWidget *(int row)> provider) { m_itemViewProvider = std::move(provider); }
    void setDragImageProvider(std::function<QImage(const QList<int> &rows)> provider)
    {
        m_dragImageProvider = std::move(provider);
    }
    QImage imageForRow(int row) const;
    // The drag picture of the rows, or a null image when the standard one is used.
    QImage dragImageForRows(const QList<int> &rows) const;

    QList<int> selectedRowList() const;
    // A row has a value when one of its columns shows text or a picture.
    bool rowHasValue(int row) const;
    QRect rowRect(int row) const;

signals:
    void didClickedRow(int row);
    void mouseEnterAtRow(int row);  // -1 off the rows
    void mouseExist();
    void scrollWheel();
    void willDeleteRowsAtIndexes(const QList<int> &rows);
    void selectionDidChangeNotification();
    void contextMenuShown(QMenu *menu);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

    // Hooks of the row-line variants: before the cells and after them.
    virtual void drawRowBackground(QPainter *p, int row, const QRect &rect, bool selected);
    virtual void drawRowOverlay(QPainter *p, int row, const QRect &rect);

private:
    void applyMenuSelection(int row);
    void popMenu(const QPoint &viewportPoint);
    void trackPointer(const QPoint &viewportPoint);

    QVTableHeaderView *m_header = nullptr;
    QColor m_highLightCellColor{243, 248, 242};
    QColor m_playItemColor{137, 209, 1};
    QImage m_emptyRowImage;
    bool m_mouseOverView = false;
    int m_mouseOverRow = -1;
    int m_lastOverRow = -1;
    int m_playIndex = -1;
    bool m_menuShownByPress = false;
    QPointer<QMenu> m_menu;
    std::function<QWidget *(int)> m_itemViewProvider;
    std::function<QImage(const QList<int> &)> m_dragImageProvider;
};
