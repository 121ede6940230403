#include "platform/ui/MenuWidgets.h"

#include "platform/ui/Menu.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>

namespace platform::ui {

namespace {

QAction* AddCommand(QMenu* into, const MenuItem& item, const MenuCommand& chosen, const MenuCommand& highlighted)
{
    QAction* action = into->addAction(QString::fromUtf8(item.text.c_str()));
    const UINT id = item.id;
    action->setData(id);
    action->setEnabled((item.state & MFS_GRAYED) == 0);
    if ((item.state & MFS_CHECKED) != 0) {
        action->setCheckable(true);
        action->setChecked(true);
    }
    // A mark of the item's own stands where the check would.
    const QImage& mark = (item.state & MFS_CHECKED) != 0 ? item.checkedMark : item.uncheckedMark;
    if (!mark.isNull())
        action->setIcon(QIcon(QPixmap::fromImage(mark)));
    if ((item.state & MFS_DEFAULT) != 0) {
        QFont font = action->font();
        font.setBold(true);
        action->setFont(font);
    }
    if (chosen)
        QObject::connect(action, &QAction::triggered, action, [chosen, id] { chosen(id); });
    if (highlighted)
        QObject::connect(action, &QAction::hovered, action, [highlighted, id] { highlighted(id); });
    return action;
}

} // namespace

void FillQMenu(const Menu& menu, QMenu* into, const MenuCommand& chosen, const MenuCommand& highlighted)
{
    for (int position = 0; position < menu.GetItemCount(); ++position) {
        const MenuItem* item = menu.GetItem(position);
        if (item->IsSeparator()) {
            into->addSeparator()->setData(item->id);
        } else if (item->IsPopup()) {
            QMenu* sub = into->addMenu(QString::fromUtf8(item->text.c_str()));
            sub->menuAction()->setData(item->id);
            sub->setEnabled((item->state & MFS_GRAYED) == 0);
            FillQMenu(*item->submenu, sub, chosen, highlighted);
        } else {
            AddCommand(into, *item, chosen, highlighted);
        }
    }
}

void FillMenuBar(const Menu& menu, QMenuBar* bar, const MenuCommand& chosen, const MenuCommand& highlighted)
{
    bar->clear();
    for (int position = 0; position < menu.GetItemCount(); ++position) {
        const MenuItem* item = menu.GetItem(position);
        if (!item->IsPopup())
            continue;
        QMenu* sub = bar->addMenu(QString::fromUtf8(item->text.c_str()));
        sub->menuAction()->setData(item->id);
        FillQMenu(*item->submenu, sub, chosen, highlighted);
    }
}

} // namespace platform::ui
