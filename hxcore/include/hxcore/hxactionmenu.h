#pragma once

#include "hxcore/hxglobal.h"

#include <QMenu>
#include <QPointer>

class HxActionMgr;

// A menu filled by action class name, such as the menu a pane offers for
// itself. Names are looked up in the given action manager, or in the main
// window's when none is given.
class HXCORE_EXPORT HxActionMenu : public QMenu
{
    Q_OBJECT
public:
    explicit HxActionMenu(QWidget* parent = nullptr, HxActionMgr* actionMgr = nullptr);
    explicit HxActionMenu(const QString& title, QWidget* parent = nullptr, HxActionMgr* actionMgr = nullptr);
    ~HxActionMenu() override;

    HxActionMgr* getActionMgr() const;

    using QMenu::insertSeparator;
    using QWidget::insertAction;

    // Inserts the named action before the entry at index; an index of -1 (or
    // past the end) appends. Returns the action, or null (with a warning)
    // when the action manager does not know the name.
    QAction* insertAction(const QString& className, int index = -1);
    QAction* insertSeparator(int index = -1);

    // Runs the menu at pos and returns the index of the chosen entry, or -1
    // when the menu was dismissed. The chosen action has run by then.
    int execIndex(const QPoint& pos);

private:
    QAction* entryAt(int index) const;

    QPointer<HxActionMgr> m_actionMgr;
};
