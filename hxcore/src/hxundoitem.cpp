#include "hxcore/hxundoitem.h"

HxUndoItem::~HxUndoItem() = default;
