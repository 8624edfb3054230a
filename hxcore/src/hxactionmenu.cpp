#include "hxcore/hxactionmenu.h"

#include "hxcore/hxactionmgr.h"
#include "hxcore/hxapp.h"
#include "hxcore/hxmainwindow.h"

HxActionMenu::HxActionMenu(QWidget* parent, HxActionMgr* actionMgr) : QMenu(parent), m_actionMgr(actionMgr) {}

HxActionMenu::HxActionMenu(const QString& title, QWidget* parent, HxActionMgr* actionMgr)
    : QMenu(title, parent), m_actionMgr(actionMgr)
{}

HxActionMenu::~HxActionMenu() = default;

HxActionMgr* HxActionMenu::getActionMgr() const
{
    if (m_actionMgr)
        return m_actionMgr;
    if (hxApp && hxApp->getInterface())
        return hxApp->getInterface()->getActionMgr();
    return nullptr;
}

QAction* HxActionMenu::entryAt(int index) const
{
    const QList<QAction*> entries = actions();
    return index >= 0 && index < entries.size() ? entries[index] : nullptr;
}

QAction* HxActionMenu::insertAction(const QString& className, int index)
{
    HxActionMgr* manager = getActionMgr();
    QAction* action = manager ? static_cast<QAction*>(manager->findAction(className)) : nullptr;
    if (!action) {
        qWarning("HxActionMenu::insertAction(): no action named %s", qPrintable(className));
        return nullptr;
    }
    QWidget::insertAction(entryAt(index), action);
    return action;
}

QAction* HxActionMenu::insertSeparator(int index)
{
    return QMenu::insertSeparator(entryAt(index));
}

int HxActionMenu::execIndex(const QPoint& pos)
{
    QAction* chosen = exec(pos);
    return chosen ? int(actions().indexOf(chosen)) : -1;
}
