#pragma once

#include "hxcore/hxelementdata.h"

#include <QList>
#include <QPointer>

class HxKinetorLayer;
class HxNode;

// The data item "KinetorData" that ties a node's layers to the scene file.
// The pane attaches one to every node that is not a bone; the item only
// points at its node and finds the node's layers through the pane when the
// scene is written. Layers read from a file wait here until the node's layer
// group takes them over; they are never owned by the item.
class HxKinetorElementData : public HxElementData
{
    Q_OBJECT
public:
    HxKinetorElementData();
    ~HxKinetorElementData() override;

    HxNode* getNode() const { return m_node; }
    void setNode(HxNode* node) { m_node = node; }

    // Layers read from a file, in the order their pointers were resolved.
    // Layers deleted meanwhile drop out.
    QList<HxKinetorLayer*> getLayers() const;
    int getNumLayers() const { return int(getLayers().size()); }
    void appendLayer(HxKinetorLayer* layer);
    // Forgets the layers without deleting them.
    void clearLayers() { m_layers.clear(); }

    // The node's layers, as its layer group shows them, in the scene file;
    // after reading, the group is rebuilt from the layers read.
    void loadSection(HxInFile* file, short id) override;
    void setPointer(const HxInFile* file, short id, short index, HxBase* object) override;
    void save(HxOutFile* file) const override;
    void postLoadFile(const HxInFile* file) override;

private:
    QList<QPointer<HxKinetorLayer>> m_layers;
    QPointer<HxNode> m_node;
};
