#pragma once

#include "hxcore/hxundoitem.h"

#include <QPointer>

class HxKinetorLayer;
class HxKinetorPose;

// A pose dot dragged from one canvas position to another.
class HxKinetorPoseMoveUndoItem : public HxUndoItem
{
public:
    HxKinetorPoseMoveUndoItem(HxKinetorLayer* layer, HxKinetorPose* pose, float fromX, float fromY, float toX,
                              float toY);
    ~HxKinetorPoseMoveUndoItem() override;

    void undo() override;
    void redo() override;

private:
    void moveTo(float x, float y);

    QPointer<HxKinetorLayer> m_layer;
    QPointer<HxKinetorPose> m_pose;
    float m_fromX;
    float m_fromY;
    float m_toX;
    float m_toY;
};
