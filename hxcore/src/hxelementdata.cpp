#include "hxcore/hxelementdata.h"

#include "hxcore/hxelement.h"

HxElementData::HxElementData(QObject* parent, const char* name) : HxBase(parent, name) {}

HxElementData::~HxElementData() = default;
