// The widget half of CommonFun, linked through fennix_shell_gui.
#include "shell/CommonFun.h"

#include "platform/MainBundle.h"

#include <QAction>
#include <QMenu>

void CommonFun::localizeMenu(QMenu *menu, bool needLocalizeSubMenu)
{
    if (!menu)
        return;
    if (!menu->title().isEmpty())
        menu->setTitle(MainBundle::localizedString(menu->title()));
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        if (!action->text().isEmpty())
            action->setText(MainBundle::localizedString(action->text()));
        if (needLocalizeSubMenu && action->menu())
            localizeMenu(action->menu(), needLocalizeSubMenu);
    }
}
