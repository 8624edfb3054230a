#include "layer/hxcontrolinsertkeyundoitem.h"

HxControlInsertKeyUndoItem::~HxControlInsertKeyUndoItem() = default;

void HxControlInsertKeyUndoItem::undo()
{
    removeKey();
}

void HxControlInsertKeyUndoItem::redo()
{
    insertKey();
}
