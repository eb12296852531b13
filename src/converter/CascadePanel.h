#pragma once

#include "converter/CMMenuData.h"
#include "converter/CategoryPanel.h"
#include "converter/FormatPanel.h"

#include <QRectF>
#include <QSizeF>
#include <QWidget>

#include <memory>

class QScrollArea;
class QToolButton;
class SubParamView;

// What the cascade panel tells the output-format sheet.
class CascadePanelDelegate
{
public:
    virtual ~CascadePanelDelegate() = default;
    virtual void itemSelectedChange(int formatID) = 0;
    virtual void showEncParamInfo(int formatID) = 0;
    virtual void saveEncParamSetting(int formatID) = 0;
};

// The output-format chooser: the category strip above a scrolling grid of the chosen category's
// presets, and beside them the settings view that slides in over the grid when a tile's settings
// button is pressed (a return button slides it out and lets the sheet keep the edited values).
// Category 1 is the default one and 100 the recently used presets. Every category change
// announces the current preset again.
class CascadePanel : public QWidget, public CategoryPanelDelegate, public FormatPanelDelegate
{
    Q_OBJECT
public:
    static constexpr int RecentCategoryID = 100;
    static constexpr int FirstCategoryID = 1;
    static constexpr int AnimationMs = 300;

    // The parts' frames in the panel's y-up coordinates.
    struct Layout
    {
        QRectF scrollView, formatPanel, categoryStrip, paramView, returnButton;
    };
    static Layout layoutFor(const QSizeF &frame, const QSizeF &categoryItem, qreal scrollerWidth, int leftDis = 0);

    CascadePanel(const QSizeF &frame, QWidget *parent = nullptr);
    CascadePanel(const QSizeF &frame, const QSizeF &categoryItem, const QSizeF &formatItem, QWidget *parent = nullptr);
    ~CascadePanel() override;

    void setDelegate(CascadePanelDelegate *delegate) { m_delegate = delegate; }
    bool addMenuItem(int id, const QString &title, const QString &image);
    bool addSubMenuItem(int id, const QString &title, const QString &image, const QString &description, int categoryID);
    void deleteAllSubItemInItem(int categoryID);
    void updateView();
    void setEncSetView(QWidget *view);

    void setSelectCategoryID(int categoryID);
    void setSelSubItemID(int formatID, int categoryID);
    void SelectedFirstItem();
    bool SelectedFirstRecentItem();
    bool SelectedFirstAppleItem();
    int getSelSubItemID() const { return m_selSubID; }
    int getSubItemCountforParentID(int categoryID) const;
    void moveToIndex(int index);
    void resetResolution(int width, int height, int formatID);

    // Closes the settings view (only while its return button shows).
    void ShowParamInfoView();
    bool isParamViewOpen() const;

    CategoryPanel *categoryPanel() const { return m_itemView; }
    FormatPanel *formatPanel() const { return m_subItemView; }
    SubParamView *paramView() const { return m_subParamView; }
    QToolButton *returnButton() const { return m_buttonShowParam; }
    QScrollArea *scrollView() const { return m_scrollView; }
    CMMenuData &menuData() { return m_menuData; }
    QRectF oldFormatViewRect() const { return m_oldFormatViewRect; }

    // CategoryPanelDelegate, FormatPanelDelegate
    void CategoryItemDidSelected(CMMenuItem *category) override;
    void getSelectedFormatInfo(int formatID) override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void notifyItemSelectedChange(int formatID);
    bool selectFirstOf(int categoryID);
    QRect qt(const QRectF &up) const;

    CMMenuData m_menuData;
    QScrollArea *m_scrollView = nullptr;
    CategoryPanel *m_itemView = nullptr;
    FormatPanel *m_subItemView = nullptr;
    SubParamView *m_subParamView = nullptr;
    QToolButton *m_buttonShowParam = nullptr;
    int m_selSubID = 0;
    QRectF m_oldFormatViewRect; // y-up in the scroll area's content
    QRectF m_oldParamViewRect;
    QRectF m_oldScrollViewRect;
    CascadePanelDelegate *m_delegate = nullptr;
};
