#include "hxcore/hxobject.h"

#include "hxcore/hxelement.h"

HxObject::HxObject(const QString& name, QObject* parent) : HxBase(parent)
{
    setObjectName(name);
}

HxObject::~HxObject() = default;

void HxObject::addItem(HxElement* item)
{
    item->setParent(this);
    m_items.append(item);
    noteStructureEdit();
}
