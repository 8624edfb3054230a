#pragma once

#include "hxcore/hxaction.h"
#include "hxcore/hxglobal.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;

// Every action of the host and its plug-ins, by class name. Menus and
// plug-ins never hold actions by pointer across sessions: they ask here by
// name.
class HXCORE_EXPORT HxActionMgr : public QObject
{
    Q_OBJECT
public:
    explicit HxActionMgr(QObject* parent = nullptr);
    ~HxActionMgr() override;

    // Takes ownership. An action without an object name is given its class
    // name. Refused (false, ownership stays with the caller) for null, for an
    // action already listed, and for a name that is taken.
    bool addAction(HxAction* action);

    // By object name, else by class name; null when absent.
    Q_INVOKABLE HxAction* findAction(const QString& className) const;

    // Appends the named action to the menu; returns it, or null (with a
    // warning) when there is no such action or no menu.
    QAction* addActionToMenu(const QString& className, QMenu* menu) const;

    // Calls init() on every action that has not had it yet, in the order they
    // were added. The host calls this once the panes exist, and again after
    // loading a plug-in. Actions added by an init() are initialised too.
    void initActions();
    bool isInitialized(const HxAction* action) const;

    QList<HxAction*> getActions() const;
    int getNumActions() const { return int(getActions().size()); }
    // The action groups in the order their first action was added.
    QStringList getActionGroups() const;
    QList<HxAction*> getActionsInGroup(const QString& group) const;

signals:
    void actionAdded(HxAction* action);

private:
    struct Entry
    {
        QPointer<HxAction> action;
        bool initialized = false;
    };
    const Entry* findEntry(const HxAction* action) const;

    QList<Entry> m_entries;
    bool m_initializing = false;
};
