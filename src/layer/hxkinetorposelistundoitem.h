#pragma once

#include "hxcore/hxundoitem.h"

#include <QPointer>
#include <memory>

class HxKinetorLayer;
class HxKinetorPose;

// A pose dot added to or taken out of a layer. While the dot is out of the
// layer this item owns it, so undo can put back the very same dot (other
// items may refer to it); once the layer has gone, undo and redo do nothing.
class HxKinetorPoseListUndoItem : public HxUndoItem
{
public:
    // For a pose now in the layer at index (added true), or one just taken
    // out of it from index (added false, the item takes ownership).
    HxKinetorPoseListUndoItem(HxKinetorLayer* layer, HxKinetorPose* pose, int index, bool added);
    ~HxKinetorPoseListUndoItem() override;

    void undo() override;
    void redo() override;

private:
    void putBack();
    void takeOut();

    QPointer<HxKinetorLayer> m_layer;
    QPointer<HxKinetorPose> m_pose;
    std::unique_ptr<HxKinetorPose> m_owned;
    int m_index;
    bool m_added;
};
