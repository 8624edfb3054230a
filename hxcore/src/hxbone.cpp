#include "hxcore/hxbone.h"

#include "hxcore/hxskeleton.h"

HxBone::HxBone(const QString& name, QObject* parent) : HxNode(name, parent) {}

HxBone::~HxBone() = default;

HxSkeleton* HxBone::getSkeleton() const
{
    return m_skeleton;
}

void HxBone::setParentBone(HxBone* parent)
{
    m_parentBone = parent;
    if (parent)
        setParentNode(parent);
    noteStructureEdit();
}

void HxBone::setRestGeometry(const HxVec3& origin, const HxVec3& endPoint)
{
    m_origin = origin;
    m_endPoint = endPoint;
}
