#include "converter/CascadePanel.h"

#include "controls/ControlGeometry.h"
#include "converter/ImageManager.h"
#include "converter/SubParamView.h"
#include "platform/NotificationCenter.h"

#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <cmath>

namespace {

const QSizeF DefaultCategoryItem(108, 125);
const QSizeF DefaultFormatItem(130, 165);

QPixmap mainWndPixmap(const QString &name)
{
    return QPixmap::fromImage(g_imageMgr ? g_imageMgr->imageWithSliceId(name, QStringLiteral("MainWnd")) : QImage());
}

} // namespace

CascadePanel::Layout CascadePanel::layoutFor(const QSizeF &frame, const QSizeF &categoryItem, qreal scrollerWidth,
                                             int leftDis)
{
    const qreal W = frame.width(), H = frame.height();
    const qreal S = std::trunc(H - categoryItem.height());
    Layout l;
    l.scrollView = QRectF(0, 0, std::trunc(W), S);
    l.formatPanel = QRectF(2, 2, W - scrollerWidth + 4, S - 4);
    l.categoryStrip = QRectF(leftDis, std::trunc(H - categoryItem.height()), W - 2 * leftDis, categoryItem.height());
    l.paramView = QRectF(-W, 0, W, S);
    l.returnButton = QRectF(W - 50, S * 0.5, 42, 42);
    return l;
}

CascadePanel::CascadePanel(const QSizeF &frame, QWidget *parent)
    : CascadePanel(frame, DefaultCategoryItem, DefaultFormatItem, parent)
{
}

CascadePanel::CascadePanel(const QSizeF &frame, const QSizeF &categoryItem, const QSizeF &formatItem, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CascadePanel"));
    resize(frame.toSize());
    const int scroller = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const Layout l = layoutFor(frame, categoryItem, scroller);

    m_scrollView = new QScrollArea(this);
    m_scrollView->setObjectName(QStringLiteral("FormatScrollView"));
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setGeometry(qt(l.scrollView));
    m_scrollView->setWidgetResizable(false);
    m_oldScrollViewRect = l.scrollView;

    // The format panel's home frame is kept in the scroll area's own y-up terms.
    m_subItemView = new FormatPanel(ControlGeometry::toQt(l.formatPanel, l.scrollView.height()), formatItem);
    m_subItemView->setDelegate(this);
    m_oldFormatViewRect = l.formatPanel;

    m_itemView = new CategoryPanel(l.categoryStrip.size(), categoryItem, this);
    m_itemView->setGeometry(qt(l.categoryStrip));
    m_itemView->setMenuData(&m_menuData);
    m_itemView->setDelegate(this);

    m_subParamView = new SubParamView(this);
    m_subParamView->setGeometry(qt(l.paramView));
    m_subParamView->hide();
    m_oldParamViewRect = l.paramView;

    m_buttonShowParam = new QToolButton(this);
    m_buttonShowParam->setObjectName(QStringLiteral("ButtonShowParam"));
    m_buttonShowParam->setAutoRaise(true);
    m_buttonShowParam->setStyleSheet(QStringLiteral("QToolButton{border:none;background:transparent;}"));
    QIcon icon;
    icon.addPixmap(mainWndPixmap(QStringLiteral("button_show_info")), QIcon::Normal);
    icon.addPixmap(mainWndPixmap(QStringLiteral("button_show_info_sel")), QIcon::Active);
    m_buttonShowParam->setIcon(icon);
    m_buttonShowParam->setIconSize(QSize(42, 42));
    m_buttonShowParam->setGeometry(qt(l.returnButton));
    m_buttonShowParam->hide();
    m_buttonShowParam->raise();
    connect(m_buttonShowParam, &QToolButton::clicked, this, [this] { ShowParamInfoView(); });

    m_subItemView->selectionCenter().addObserver(this, QStringLiteral("SelectedItemNotification"),
                                                 [this](const Notification &n) { notifyItemSelectedChange(n.object.toInt()); });
}

CascadePanel::~CascadePanel()
{
    // The grid may not be the scroll area's widget yet.
    if (!m_subItemView->parent())
        delete m_subItemView;
}

QRect CascadePanel::qt(const QRectF &up) const { return ControlGeometry::toQt(up, height()).toRect(); }

bool CascadePanel::addMenuItem(int id, const QString &title, const QString &image)
{
    return m_menuData.addMenuItem(id, title, image, true);
}

bool CascadePanel::addSubMenuItem(int id, const QString &title, const QString &image, const QString &description,
                                  int categoryID)
{
    // The tree's "append" puts an entry in front; the panel keeps the order of adding.
    return m_menuData.addSubMenuItem(id, title, image, description, categoryID, false);
}

void CascadePanel::deleteAllSubItemInItem(int categoryID) { m_menuData.deleteAllSubItemInItem(categoryID); }

void CascadePanel::updateView()
{
    m_itemView->updateView();
    m_subItemView->updateView();
}

void CascadePanel::setEncSetView(QWidget *view) { m_subParamView->setContentView(view); }

void CascadePanel::setSelectCategoryID(int categoryID) { m_itemView->setSelParentItemID(categoryID); }

void CascadePanel::setSelSubItemID(int formatID, int categoryID)
{
    m_itemView->setSelParentItemID(categoryID);
    m_subItemView->setSelSubItemID(formatID);
}

bool CascadePanel::selectFirstOf(int categoryID)
{
    for (const auto &item : m_menuData.menuItemArray()) {
        if (item->iID != categoryID)
            continue;
        if (item->subItemArray.isEmpty())
            return false;
        setSelSubItemID(item->subItemArray.first()->iID, categoryID);
        return true;
    }
    return false;
}

void CascadePanel::SelectedFirstItem() { selectFirstOf(FirstCategoryID); }
bool CascadePanel::SelectedFirstRecentItem() { return selectFirstOf(RecentCategoryID); }
bool CascadePanel::SelectedFirstAppleItem() { return selectFirstOf(FirstCategoryID); }

int CascadePanel::getSubItemCountforParentID(int categoryID) const
{
    for (const auto &item : m_menuData.menuItemArray())
        if (item->iID == categoryID)
            return int(item->subItemArray.size());
    return 0;
}

void CascadePanel::moveToIndex(int index) { m_itemView->moveToIndex(index); }

void CascadePanel::resetResolution(int width, int height, int formatID)
{
    m_subItemView->resetResolution(width, height, formatID);
}

void CascadePanel::CategoryItemDidSelected(CMMenuItem *category)
{
    // Back to its home frame (narrower while the settings view is open), rebuilt, at the top.
    QRectF home = ControlGeometry::toQt(m_oldFormatViewRect, m_oldScrollViewRect.height());
    m_subItemView->setGeometry(home.toRect());
    m_subItemView->setHomeFrame(home);
    m_subItemView->setMenuItem(category);
    if (m_scrollView->widget() != m_subItemView)
        m_scrollView->setWidget(m_subItemView);
    m_scrollView->verticalScrollBar()->setValue(0);
    m_subItemView->setSelSubItemID(m_selSubID);
}

void CascadePanel::notifyItemSelectedChange(int formatID)
{
    m_selSubID = formatID;
    if (m_delegate)
        m_delegate->itemSelectedChange(formatID);
}

bool CascadePanel::isParamViewOpen() const { return m_buttonShowParam->isVisible(); }

void CascadePanel::getSelectedFormatInfo(int formatID)
{
    m_itemView->setIsEnable(false);
    if (m_delegate)
        m_delegate->showEncParamInfo(formatID);
    m_oldFormatViewRect.setWidth(m_oldFormatViewRect.width() - 15);
    m_subParamView->show();
    m_subParamView->raise();
    auto *group = new QParallelAnimationGroup(this);
    auto *param = new QPropertyAnimation(m_subParamView, "geometry", group);
    param->setDuration(AnimationMs);
    param->setEndValue(qt(m_oldScrollViewRect));
    auto *scroll = new QPropertyAnimation(m_scrollView, "geometry", group);
    scroll->setDuration(AnimationMs);
    scroll->setEndValue(qt(QRectF(width() + 10, m_oldScrollViewRect.y(), m_oldScrollViewRect.width(),
                                  m_oldScrollViewRect.height())));
    group->start(QAbstractAnimation::DeleteWhenStopped);
    QTimer::singleShot(AnimationMs, this, [this] {
        m_buttonShowParam->show();
        m_buttonShowParam->raise();
        m_itemView->setButtonEnable(false);
    });
}

void CascadePanel::ShowParamInfoView()
{
    if (!m_buttonShowParam->isVisible())
        return;
    if (m_delegate)
        m_delegate->saveEncParamSetting(m_subItemView->selectedID());
    m_itemView->setIsEnable(true);
    m_buttonShowParam->hide();
    m_oldFormatViewRect.setWidth(m_oldFormatViewRect.width() + 15);
    auto *group = new QParallelAnimationGroup(this);
    auto *scroll = new QPropertyAnimation(m_scrollView, "geometry", group);
    scroll->setDuration(AnimationMs);
    scroll->setEndValue(qt(m_oldScrollViewRect));
    auto *param = new QPropertyAnimation(m_subParamView, "geometry", group);
    param->setDuration(AnimationMs);
    param->setEndValue(qt(m_oldParamViewRect));
    group->start(QAbstractAnimation::DeleteWhenStopped);
    m_itemView->setButtonEnable(true);
}

void CascadePanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
}
