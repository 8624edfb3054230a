#include "layer/hxkinetorposedataundoitem.h"

#include "layer/hxkinetorlayer.h"

HxKinetorPoseDataUndoItem::HxKinetorPoseDataUndoItem(HxKinetorLayer* layer, HxKinetorPose* pose,
                                                     HxKinetorPose::NodeDataVector records)
    : m_layer(layer), m_pose(pose), m_records(std::move(records))
{}

HxKinetorPoseDataUndoItem::~HxKinetorPoseDataUndoItem() = default;

void HxKinetorPoseDataUndoItem::undo()
{
    swap();
}

void HxKinetorPoseDataUndoItem::redo()
{
    swap();
}

int HxKinetorPoseDataUndoItem::size() const
{
    return int(sizeof(*this) + m_records.size() * sizeof(HxKinetorNodeData));
}

void HxKinetorPoseDataUndoItem::swap()
{
    if (!m_pose)
        return;
    m_pose->swapNodeData(m_records);
    // What the layer blends depends on what its dots record.
    if (m_layer && m_layer->getPoses().contains(m_pose))
        m_layer->updateChangeFlags(m_pose);
}
