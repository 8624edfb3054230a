#include "hxcore/hxactionmgr.h"

#include "hxcore/hxaction.h"

#include <QMenu>

HxActionMgr::HxActionMgr(QObject* parent) : QObject(parent) {}

HxActionMgr::~HxActionMgr() = default;

bool HxActionMgr::addAction(HxAction* action)
{
    if (!action) {
        qWarning("HxActionMgr::addAction(): null action");
        return false;
    }
    if (!m_initializing)
        m_entries.removeIf([](const Entry& entry) { return entry.action.isNull(); });
    if (findEntry(action)) {
        qWarning("HxActionMgr::addAction(): %s is already listed", qPrintable(action->objectName()));
        return false;
    }
    if (action->objectName().isEmpty())
        action->setObjectName(QString::fromLatin1(action->metaObject()->className()));
    for (const Entry& entry : std::as_const(m_entries)) {
        if (entry.action && entry.action->objectName() == action->objectName()) {
            qWarning("HxActionMgr::addAction(): an action named %s already exists",
                     qPrintable(action->objectName()));
            return false;
        }
    }
    action->setParent(this);
    m_entries.append(Entry{action, false});
    emit actionAdded(action);
    return true;
}

HxAction* HxActionMgr::findAction(const QString& className) const
{
    if (className.isEmpty())
        return nullptr;
    for (const Entry& entry : m_entries)
        if (entry.action && entry.action->objectName() == className)
            return entry.action;
    const QByteArray latin = className.toLatin1();
    for (const Entry& entry : m_entries)
        if (entry.action && latin == entry.action->metaObject()->className())
            return entry.action;
    return nullptr;
}

QAction* HxActionMgr::addActionToMenu(const QString& className, QMenu* menu) const
{
    if (!menu) {
        qWarning("HxActionMgr::addActionToMenu(): no menu for %s", qPrintable(className));
        return nullptr;
    }
    HxAction* action = findAction(className);
    if (!action) {
        qWarning("HxActionMgr::addActionToMenu(): no action named %s", qPrintable(className));
        return nullptr;
    }
    menu->addAction(action);
    return action;
}

void HxActionMgr::initActions()
{
    // An init() that reaches back here must not start a second pass that
    // would call init() on the action still being initialised.
    if (m_initializing)
        return;
    m_initializing = true;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].initialized || !m_entries[i].action)
            continue;
        m_entries[i].initialized = true;
        QPointer<HxAction> action = m_entries[i].action;
        action->init();
    }
    m_initializing = false;
}

bool HxActionMgr::isInitialized(const HxAction* action) const
{
    const Entry* entry = findEntry(action);
    return entry && entry->initialized;
}

const HxActionMgr::Entry* HxActionMgr::findEntry(const HxAction* action) const
{
    if (!action)
        return nullptr;
    for (const Entry& entry : m_entries)
        if (entry.action == action)
            return &entry;
    return nullptr;
}

QList<HxAction*> HxActionMgr::getActions() const
{
    QList<HxAction*> actions;
    for (const Entry& entry : m_entries)
        if (entry.action)
            actions.append(entry.action);
    return actions;
}

QStringList HxActionMgr::getActionGroups() const
{
    QStringList groups;
    for (HxAction* action : getActions()) {
        const QString group = action->getActionGroup();
        if (!groups.contains(group))
            groups.append(group);
    }
    return groups;
}

QList<HxAction*> HxActionMgr::getActionsInGroup(const QString& group) const
{
    QList<HxAction*> actions;
    for (HxAction* action : getActions())
        if (action->getActionGroup() == group)
            actions.append(action);
    return actions;
}
