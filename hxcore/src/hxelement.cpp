#include "hxcore/hxelement.h"

#include "hxcore/hxelementdata.h"
#include "hxcore/hxproperty.h"

HxElement::HxElement(QObject* parent, const char* name) : HxBase(parent, name) {}

HxElement::~HxElement()
{
    noteStructureEdit();
    // Data items may look at their element while they go; detach them first.
    for (HxElementData* item : std::as_const(m_dataItems))
        item->setElement(nullptr);
}

HxProperty* HxElement::getProperty(long index) const
{
    return index >= 0 && index < m_properties.size() ? m_properties.at(index) : nullptr;
}

HxProperty* HxElement::findProperty(const QString& name) const
{
    for (HxProperty* property : m_properties)
        if (property->objectName() == name)
            return property;
    return nullptr;
}

void HxElement::addProperty(HxProperty* property)
{
    property->setParent(this);
    m_properties.append(property);
    noteStructureEdit();
}

void HxElement::addDataItem(HxElementData* item)
{
    if (!item || m_dataItems.contains(item))
        return;
    item->setParent(this);
    item->setElement(this);
    m_dataItems.append(item);
}

void HxElement::removeDataItem(HxElementData* item)
{
    if (!m_dataItems.removeOne(item))
        return;
    item->setElement(nullptr);
    item->setParent(nullptr);
    item->deleteLater();
}

HxElementData* HxElement::findDataItem(const QString& name) const
{
    for (HxElementData* item : m_dataItems)
        if (item->objectName() == name)
            return item;
    return nullptr;
}

void HxElement::clearAnimData(const HxTimeRange&) {}
