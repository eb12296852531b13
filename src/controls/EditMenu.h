#pragma once

#include <QImage>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QWidget>

class EditMenuItem;
class EditMenuBgView;
class QScrollArea;

// A hand-drawn pop-up menu of EditMenuItem rows. It hides after a click on a row or outside
// the rows, on Escape and when it stops being the active pop-up.
class EditMenu : public QWidget
{
    Q_OBJECT
public:
    // A menu of the picture's size (or of `size` without one), the picture as its background,
    // rows stacked from the top on a white rounded plate.
    EditMenu(const QImage &image, const QSizeF &size, QWidget *parent = nullptr);
    // A menu of the size whose rows are laid out by arrangeFrame(), optionally scrolling.
    EditMenu(const QSizeF &size, bool isScroll, QWidget *parent = nullptr);
    // A menu around a view of the owner's; nothing is made for a null view. Such a menu keeps
    // no rows.
    static EditMenu *withView(QWidget *view);
    ~EditMenu() override;

    EditMenuItem *addItemWithTitle(const QString &title, QObject *target, const char *action);
    void addSeparator();
    EditMenuItem *addItem(const QString &title, QObject *target, const char *action);
    void arrangeFrame();
    EditMenuItem *menuItemAtIndex(int index) const;
    EditMenuItem *itemAtIndex(int index) const { return menuItemAtIndex(index); }
    int indexOfItemWithObjectValue(EditMenuItem *item) const;
    void selectItemWithValue(const QString &title);
    void cancelAllSelected();
    void removeAllItems();
    void removeAllItemsView();
    int count() const { return int(m_items.size()); }

    void setAnchorPoint(const QPointF &p) { m_anchorPoint = p; }
    QPointF anchorPoint() const { return m_anchorPoint; }
    void setKnobWidth(qreal w) { m_knobWidth = w; }
    qreal knobWidth() const { return m_knobWidth; }
    EditMenuBgView *bgView() const { return m_bgView; }
    QWidget *boxView() const { return m_boxView; }

    // Global point where the menu's top-left corner goes (less the anchor).
    void popUpAtPoint(const QPoint &globalPoint);
    void hideMenu();
    void dropDown();

signals:
    void editMenuWillOpen(EditMenu *menu);
    void editMenuWillClose(EditMenu *menu);

protected:
    EditMenu(QWidget *view, int);
    void paintEvent(QPaintEvent *) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void setUpWindow();
    QWidget *itemHost() const;
    void trackPointer(const QPoint &global);
    void clickAt(const QPoint &global);

    QPointer<QWidget> m_view;
    QList<EditMenuItem *> m_items;
    bool m_keepsItems = true;
    QPointF m_anchorPoint;
    qreal m_knobWidth = 0;
    EditMenuBgView *m_bgView = nullptr;
    bool m_isScroll = false;
    QWidget *m_boxView = nullptr;
    QScrollArea *m_scrollView = nullptr;
    QImage m_image;
    QColor m_background = Qt::transparent;
    bool m_open = false;
    // A press seen since the menu opened; until then a release is the end of the click that
    // opened it.
    bool m_pressSeen = false;
};
