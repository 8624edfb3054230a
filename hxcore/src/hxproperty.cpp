#include "hxcore/hxproperty.h"

#include "hxcore/hxelement.h"

HxProperty::HxProperty(HxElement* owner, const QString& name, const QString& label)
    : HxBase(nullptr), m_owner(owner), m_label(label)
{
    setObjectName(name);
}

HxProperty::~HxProperty()
{
    noteStructureEdit();
}

void HxProperty::deleteKeys(const HxTimeRange&) {}

void HxProperty::connectNotify(const QMetaMethod& signal)
{
    m_watched = true;
    HxBase::connectNotify(signal);
}
