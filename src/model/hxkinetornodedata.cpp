#include "model/hxkinetornodedata.h"

#include "model/hxposecollection.h"

#include "hxcore/hxfloatproperty.h"

HxKinetorNodeData::HxKinetorNodeData()
{
    m_rot.makeIdentity();
    ++s_editCount;
}

HxKinetorNodeData::~HxKinetorNodeData() = default;

void HxKinetorNodeData::setPos(HxVec3 pos)
{
    m_pos = pos;
    ++s_editCount;
}

void HxKinetorNodeData::setScale(HxVec3 scale, double genScale)
{
    m_scale = scale;
    m_genScale = genScale;
    ++s_editCount;
}

void HxKinetorNodeData::setRot(HxQuat rot)
{
    m_rot = rot;
    ++s_editCount;
}

void HxKinetorNodeData::addPropVal(HxNode* node, const QString& name, double val)
{
    // Only collected properties are eligible, so a script cannot make a pose
    // record a value that capture and blending would never touch.
    ++s_editCount;
    QList<HxFloatProperty*> properties;
    collectAnimatableProperties(properties, node);
    for (HxFloatProperty* property : std::as_const(properties)) {
        const HxElement* owner = property->getOwner();
        if ((owner && owner->objectName() == name) || property->objectName() == name)
            m_propValues.insert(property, val);
    }
}
