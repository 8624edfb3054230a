#pragma once

#include "layer/hxcontrolkeyundoitem.h"

// Undoes the removal of a cursor key.
class HxControlRemoveKeyUndoItem : public HxControlKeyUndoItem
{
public:
    using HxControlKeyUndoItem::HxControlKeyUndoItem;
    ~HxControlRemoveKeyUndoItem() override;

    void undo() override;
    void redo() override;
};
