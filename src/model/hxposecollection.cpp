#include "model/hxposecollection.h"

#include "model/hxkinetornodedata.h"
#include "model/hxkinetorpose.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxskeleton.h"

#include <optional>

void collectPoseNodes(QList<HxNode*>& nodes, HxNode* node)
{
    if (!node)
        return;
    if (auto* skeleton = qobject_cast<HxSkeleton*>(node)) {
        QList<HxBone*> bones;
        skeleton->getAllBones(bones);
        // A following bone copies the bone it follows; recording it as well
        // would only fight that bone.
        for (HxBone* bone : std::as_const(bones))
            if (bone && !bone->getFollowBone())
                nodes.append(bone);
    }
    if (auto* bone = qobject_cast<HxBone*>(node); bone && bone->getFollowBone())
        return;
    nodes.append(node);
}

void collectAnimatableProperties(QList<HxFloatProperty*>& properties, HxNode* node)
{
    if (!node)
        return;
    if (HxObject* object = node->getObject()) {
        const int count = object->getNumItems();
        for (int i = 0; i < count; ++i) {
            // A morph channel is what a pose is for; its flags do not matter.
            if (auto* morph = qobject_cast<HxMorph*>(object->getItem(i)))
                if (HxFloatProperty* channel = morph->getValueChannel())
                    properties.append(channel);
        }
    }
    const int count = node->getNumProperties();
    for (int i = 0; i < count; ++i) {
        auto* property = qobject_cast<HxFloatProperty*>(node->getProperty(i));
        // Transform controls carry an axis and are recorded in the record's
        // own fields; scales are never blended as plain values.
        if (!property || property->getXYZInterest() != HxNumericProperty::NoInterest)
            continue;
        if (property->getLabel().contains(QLatin1String("scale"), Qt::CaseInsensitive))
            continue;
        if (property->isHidden() || !property->canAnimate())
            continue;
        properties.append(property);
    }
}

namespace {

bool variesBetweenPoses(HxFloatProperty* property, const QList<HxKinetorPose*>& poses, unsigned nodeIndex)
{
    std::optional<double> reference;
    for (const HxKinetorPose* pose : poses) {
        const HxKinetorNodeData* record = pose ? pose->getNodeDataAt(nodeIndex) : nullptr;
        if (!record)
            continue;
        const auto& values = record->getPropValues();
        const auto entry = values.constFind(property);
        if (entry == values.constEnd())
            continue;
        if (!reference)
            reference = entry.value();
        else if (entry.value() != *reference) // a NaN on either side differs
            return true;
    }
    return false;
}

} // namespace

void pruneConstantProperties(QList<HxFloatProperty*>& properties, const QList<HxKinetorPose*>& poses,
                             unsigned nodeIndex)
{
    properties.removeIf(
        [&](HxFloatProperty* property) { return !variesBetweenPoses(property, poses, nodeIndex); });
}
