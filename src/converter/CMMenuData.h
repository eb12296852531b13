#pragma once

#include <QList>
#include <QRectF>
#include <QString>

#include <memory>

// One entry under a category of the format chooser.
struct CMSubMenuItem
{
    CMSubMenuItem(int id, const QString &title, const QString &image, const QString &description);
    int iID = 0;
    QString sImage;
    float iTitleHeight = 0;
    QRectF frame{0, 0, 1, 1};
    QString sTitle;
    QString sDescription;
};

// One category of the format chooser with its entries.
struct CMMenuItem
{
    CMMenuItem(int id, const QString &title, const QString &image);
    int iID = 0;
    QString sImage;
    QRectF frame{0, 0, 1, 1};
    QString sTitle;
    QList<std::shared_ptr<CMSubMenuItem>> subItemArray;
};

// The two-level tree of the format chooser and its selection. Identifiers need not be unique:
// a preset may stand under its own category and under the recent one.
class CMMenuData
{
public:
    // append: to the end of the list, else to the front.
    bool addMenuItem(int id, const QString &title, const QString &image, bool append);
    // Under the first category with that identifier; append YES puts the entry at the FRONT.
    bool addSubMenuItem(int id, const QString &title, const QString &image, const QString &description, int parentID,
                        bool append);
    void deleteAllSubItemInItem(int parentID);
    bool removeAllItem();
    void setSelID(int id, int parentID);

    CMMenuItem *selItem() const { return m_selItem; }
    CMSubMenuItem *selSubItem() const { return m_selSubItem; }
    void setSelItem(CMMenuItem *item) { m_selItem = item; }
    void setSelSubItem(CMSubMenuItem *item) { m_selSubItem = item; }
    const QList<std::shared_ptr<CMMenuItem>> &menuItemArray() const { return m_menuItemArray; }
    int iEnableDelItemID = -1;

private:
    CMMenuItem *m_selItem = nullptr;
    CMSubMenuItem *m_selSubItem = nullptr;
    QList<std::shared_ptr<CMMenuItem>> m_menuItemArray;
    bool m_everAdded = false;
};
