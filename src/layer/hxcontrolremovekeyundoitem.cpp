#include "layer/hxcontrolremovekeyundoitem.h"

HxControlRemoveKeyUndoItem::~HxControlRemoveKeyUndoItem() = default;

void HxControlRemoveKeyUndoItem::undo()
{
    insertKey();
}

void HxControlRemoveKeyUndoItem::redo()
{
    removeKey();
}
