#include "layer/hxkinetorposelistundoitem.h"

#include "layer/hxkinetorlayer.h"
#include "model/hxkinetorpose.h"

HxKinetorPoseListUndoItem::HxKinetorPoseListUndoItem(HxKinetorLayer* layer, HxKinetorPose* pose, int index,
                                                     bool added)
    : m_layer(layer), m_pose(pose), m_index(index), m_added(added)
{
    if (!added)
        m_owned.reset(pose);
}

HxKinetorPoseListUndoItem::~HxKinetorPoseListUndoItem() = default;

void HxKinetorPoseListUndoItem::undo()
{
    if (m_added)
        takeOut();
    else
        putBack();
}

void HxKinetorPoseListUndoItem::redo()
{
    if (m_added)
        putBack();
    else
        takeOut();
}

void HxKinetorPoseListUndoItem::putBack()
{
    if (!m_layer || !m_owned)
        return;
    m_layer->insertPose(m_owned.release(), m_index);
}

void HxKinetorPoseListUndoItem::takeOut()
{
    if (!m_layer || !m_pose || m_owned)
        return;
    if (m_layer->takePose(m_pose) >= 0)
        m_owned.reset(m_pose);
}
