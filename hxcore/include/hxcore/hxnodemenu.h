#pragma once

#include "hxcore/hxglobal.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxnodeselectioninterface.h"

#include <QList>
#include <QPointer>
#include <QPushButton>

class QActionGroup;
class QMenu;

// A button that shows the current node's name and, when pressed, a menu of
// the nodes on offer. Just before the menu opens it emits aboutToShowMenu(),
// so its owner can refresh the list with setNodeList().
class HXCORE_EXPORT HxNodeMenu : public QPushButton, public HxNodeSelectionInterface
{
    Q_OBJECT
public:
    // With allowNone the menu starts with a "None" entry, by which a person
    // can pick no node at all.
    explicit HxNodeMenu(QWidget* parent = nullptr, const QString& name = QString(), bool allowNone = false);
    ~HxNodeMenu() override;

    void setNodeList(const QList<HxNode*>& nodes) override;
    QList<HxNode*> getNodeList() const override;

    bool allowsNone() const { return m_allowNone; }
    // Null when no node is current or the current node was deleted.
    HxNode* getCurrent() const { return m_current; }
    QMenu* getMenu() const { return m_menu; }

public slots:
    // Makes the node current without emitting selectionChanged: the owner
    // already knows. A node need not be on offer to be current.
    void selectNode(HxNode* node);

signals:
    void aboutToShowMenu();
    // A person picked a node (null for "None") in the menu.
    void selectionChanged(HxNode* node);

private:
    void prepareMenu();
    void setCurrent(HxNode* node);
    void pick(HxNode* node);
    void updateText();

    QMenu* m_menu;
    QActionGroup* m_group;
    QList<QPointer<HxNode>> m_nodes;
    QPointer<HxNode> m_current;
    bool m_allowNone;
};
