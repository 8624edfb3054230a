#pragma once

#include "layer/hxcontrolkeyundoitem.h"

// Undoes the insertion of a cursor key.
class HxControlInsertKeyUndoItem : public HxControlKeyUndoItem
{
public:
    using HxControlKeyUndoItem::HxControlKeyUndoItem;
    ~HxControlInsertKeyUndoItem() override;

    void undo() override;
    void redo() override;
};
