#pragma once

#include "model/hxkinetornodedata.h"

#include "hxcore/hxbase.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxvec3.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

// One pose dot of a layer: a place on the layer's canvas and a snapshot of a
// node and its bones, one record per pose node (see collectPoseNodes), which
// it can take from the figure and put back onto it.
class HxKinetorPose : public HxBase
{
    Q_OBJECT
public:
    using NodeDataVector = std::vector<std::unique_ptr<HxKinetorNodeData>>;

    // With capture the records are read from the node, otherwise every pose
    // node gets a default record for a script to fill.
    HxKinetorPose(float x, float y, HxNode* node, bool capture);
    ~HxKinetorPose() override;

    float getX() const { return m_x; }
    float getY() const { return m_y; }
    void setPosition(float x, float y);

    HxNode* getNode() const { return m_node; }
    // Entry i belongs to node i of getNodeList; entries may be null.
    const NodeDataVector& getNodeData() const { return m_nodeData; }
    // The record at that position, or null when there is none.
    HxKinetorNodeData* getNodeDataAt(qsizetype index) const;
    // Exchanges the records with the given ones (undo of a re-capture).
    void swapNodeData(NodeDataVector& records) { m_nodeData.swap(records); }

    // True for poses made in memory and for poses read in the older form,
    // whose records hold a local transform rather than control values.
    bool isBackwardCompatible() const { return m_backwardCompatible; }
    void setBackwardCompatible(bool backwardCompatible) { m_backwardCompatible = backwardCompatible; }

    // Appends the pose nodes of the pose's node.
    void getNodeList(QList<HxNode*>& nodes) const;

    // Replaces every record with the figure's current control values.
    void captureFromNode();
    // Sets the figure's controls and recorded properties from the records.
    void applyToNode();
    // Shows the records as local transforms, then rewrites their position
    // and rotation as the control values those transforms produced.
    void applyBackwardCompatible();

    // Scene storage (src/io/hxkinetorposestorage.cpp); a pose read without
    // its form flag is converted after loading.
    void loadSection(HxInFile* file, short id) override;
    void setPointer(const HxInFile* file, short id, short index, HxBase* object) override;
    void save(HxOutFile* file) const override;
    void postLoadFile(const HxInFile* file) override;

public slots:
    void setNodeData(const QString& nodeName, HxVec3 pos, HxVec3 scale, double genScale, HxQuat rot);
    HxKinetorNodeData* findNodeData(const QString& nodeName);
    // With isTopLevel, the first pose node that is not a bone answers any
    // name that no earlier node bears: the figure's name in a preset need
    // not match its name in the scene.
    HxKinetorNodeData* findNodeData(const QString& nodeName, bool isTopLevel);

private:
    float m_x;
    float m_y;
    QPointer<HxNode> m_node;
    NodeDataVector m_nodeData;
    bool m_backwardCompatible = true;
};
