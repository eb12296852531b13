#include "converter/CMMenuData.h"

CMSubMenuItem::CMSubMenuItem(int id, const QString &title, const QString &image, const QString &description)
    : iID(id), sImage(image), sTitle(title), sDescription(description)
{
}

CMMenuItem::CMMenuItem(int id, const QString &title, const QString &image) : iID(id), sImage(image), sTitle(title) {}

bool CMMenuData::addMenuItem(int id, const QString &title, const QString &image, bool append)
{
    auto item = std::make_shared<CMMenuItem>(id, title, image);
    if (append)
        m_menuItemArray.append(item);
    else
        m_menuItemArray.prepend(item);
    m_everAdded = true;
    return true;
}

bool CMMenuData::addSubMenuItem(int id, const QString &title, const QString &image, const QString &description,
                                int parentID, bool append)
{
    for (const auto &item : m_menuItemArray) {
        if (item->iID != parentID)
            continue;
        auto sub = std::make_shared<CMSubMenuItem>(id, title, image, description);
        if (append)
            item->subItemArray.prepend(sub);
        else
            item->subItemArray.append(sub);
        return true;
    }
    return false;
}

void CMMenuData::deleteAllSubItemInItem(int parentID)
{
    for (const auto &item : m_menuItemArray) {
        if (item->iID != parentID)
            continue;
        for (const auto &sub : item->subItemArray)
            if (sub.get() == m_selSubItem)
                m_selSubItem = nullptr;  // never leave the selection pointing at a removed entry
        item->subItemArray.clear();
    }
}

bool CMMenuData::removeAllItem()
{
    if (!m_everAdded)
        return false;
    m_menuItemArray.clear();
    m_selItem = nullptr;
    m_selSubItem = nullptr;
    return true;
}

void CMMenuData::setSelID(int id, int parentID)
{
    m_selItem = nullptr;
    m_selSubItem = nullptr;
    for (const auto &item : m_menuItemArray) {
        if (item->iID != parentID)
            continue;
        for (const auto &sub : item->subItemArray)
            if (sub->iID == id) {
                m_selItem = item.get();
                m_selSubItem = sub.get();
                return;
            }
        return;  // the first category with that identifier decides
    }
}
