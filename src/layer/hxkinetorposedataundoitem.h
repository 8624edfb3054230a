#pragma once

#include "model/hxkinetorpose.h"

#include "hxcore/hxundoitem.h"

#include <QPointer>

class HxKinetorLayer;

// A pose dot that took the figure's current pose: holds the records it had
// before, and swaps them with the dot's on undo and again on redo.
class HxKinetorPoseDataUndoItem : public HxUndoItem
{
public:
    HxKinetorPoseDataUndoItem(HxKinetorLayer* layer, HxKinetorPose* pose,
                              HxKinetorPose::NodeDataVector records);
    ~HxKinetorPoseDataUndoItem() override;

    void undo() override;
    void redo() override;
    int size() const override;

private:
    void swap();

    QPointer<HxKinetorLayer> m_layer;
    QPointer<HxKinetorPose> m_pose;
    HxKinetorPose::NodeDataVector m_records;
};
