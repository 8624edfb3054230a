#include "hxcore/hxskeleton.h"

#include "hxcore/hxbone.h"

HxSkeleton::HxSkeleton(const QString& name, QObject* parent) : HxNode(name, parent) {}

HxSkeleton::~HxSkeleton()
{
    // Bones point at each other and at the figure; delete them while the
    // figure is still whole, last bone first.
    while (!m_bones.isEmpty())
        delete m_bones.takeLast();
}

void HxSkeleton::getAllBones(QList<HxBone*>& bones) const
{
    bones.append(m_bones);
}

HxBone* HxSkeleton::findBone(const QString& name) const
{
    for (HxBone* bone : m_bones)
        if (bone->objectName() == name)
            return bone;
    return nullptr;
}

void HxSkeleton::addBone(HxBone* bone)
{
    bone->setSkeleton(this);
    if (!bone->getParentNode())
        bone->setParentNode(this);
    m_bones.append(bone);
    noteStructureEdit();
}
