#include "hxcore/hxmorph.h"

#include "hxcore/hxfloatproperty.h"

HxMorph::HxMorph(const QString& name, const QString& label, QObject* parent) : HxElement(parent)
{
    setObjectName(name);
    m_channel = new HxFloatProperty(this, name, label);
    addProperty(m_channel);
}

HxMorph::~HxMorph() = default;
