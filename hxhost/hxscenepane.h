#pragma once

#include "hxcore/hxpane.h"

#include <QHash>

class HxNode;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The scene's nodes as a tree (a figure holds its bones, each bone its
// child bones). Picking a row selects the node in the scene, and a selection
// made elsewhere is shown here.
class HxScenePane : public HxPane
{
    Q_OBJECT
public:
    explicit HxScenePane(QWidget* parent = nullptr);
    ~HxScenePane() override;

    QTreeWidget* tree() const { return m_tree; }
    QTreeWidgetItem* itemFor(HxNode* node) const { return m_items.value(node); }
    HxNode* nodeFor(const QTreeWidgetItem* item) const;

    void refresh() override;

private:
    void addNode(HxNode* node);
    void removeNode(HxNode* node);
    void clearTree();
    void showSelection(HxNode* node);
    void takeSelectionFromTree();
    void applyFilter(const QString& text);

    QLineEdit* m_filter;
    QTreeWidget* m_tree;
    QHash<HxNode*, QTreeWidgetItem*> m_items;
    // The other way round, so that finding a row's node is not a search.
    QHash<const QTreeWidgetItem*, HxNode*> m_nodes;
    bool m_syncing = false;
};
