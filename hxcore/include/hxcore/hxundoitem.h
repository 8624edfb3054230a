#pragma once

#include "hxcore/hxglobal.h"

// One reversible change. Items are collected by an open HxUndoStackHold and
// owned by the undo stack from the moment they are pushed.
class HXCORE_EXPORT HxUndoItem
{
public:
    virtual ~HxUndoItem();
    virtual void undo() = 0;
    virtual void redo() = 0;
    // Rough memory cost, for the history's limits.
    virtual int size() const { return 1; }
};
