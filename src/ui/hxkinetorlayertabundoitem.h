#pragma once

#include "hxcore/hxundoitem.h"

#include <QPointer>

class HxKinetorLayer;
class HxKinetorLayerGroup;
class HxKinetorLayerView;

// A layer added to or deleted from a layer group. While the layer is out of
// its group this item owns the layer and its view, so undo puts back the
// very same layer, whose cursor keys older steps still refer to; once the
// group has gone (its node was removed), undo and redo do nothing.
class HxKinetorLayerTabUndoItem : public HxUndoItem
{
public:
    // For a layer now shown at index (added true), or one just taken out of
    // the group from index (added false: the item takes the layer and view).
    HxKinetorLayerTabUndoItem(HxKinetorLayerGroup* group, HxKinetorLayer* layer, int index, bool added);
    ~HxKinetorLayerTabUndoItem() override;

    void undo() override;
    void redo() override;

private:
    void putBack();
    void takeOut();

    QPointer<HxKinetorLayerGroup> m_group;
    QPointer<HxKinetorLayer> m_layer;
    QPointer<HxKinetorLayerView> m_view;
    int m_index;
    bool m_added;
    bool m_owned;
};
