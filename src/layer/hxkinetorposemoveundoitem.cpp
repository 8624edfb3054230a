#include "layer/hxkinetorposemoveundoitem.h"

#include "layer/hxkinetorlayer.h"
#include "model/hxkinetorpose.h"

HxKinetorPoseMoveUndoItem::HxKinetorPoseMoveUndoItem(HxKinetorLayer* layer, HxKinetorPose* pose, float fromX,
                                                     float fromY, float toX, float toY)
    : m_layer(layer), m_pose(pose), m_fromX(fromX), m_fromY(fromY), m_toX(toX), m_toY(toY)
{}

HxKinetorPoseMoveUndoItem::~HxKinetorPoseMoveUndoItem() = default;

void HxKinetorPoseMoveUndoItem::undo()
{
    moveTo(m_fromX, m_fromY);
}

void HxKinetorPoseMoveUndoItem::redo()
{
    moveTo(m_toX, m_toY);
}

void HxKinetorPoseMoveUndoItem::moveTo(float x, float y)
{
    // A dot that an undone step holds outside its layer may still move: the
    // step that puts it back expects it where this item left it.
    if (!m_pose)
        return;
    m_pose->setPosition(x, y);
    if (m_layer && m_layer->getView())
        m_layer->getView()->update();
}
