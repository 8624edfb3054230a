#include "hxfigureposer.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxskeleton.h"

HxFigurePoser::HxFigurePoser(const HxSkeleton* figure)
    : m_figure(figure), m_figureFrame(figure ? figure->getWorldMatrix() : HxMatrix4::identity())
{}

HxMatrix4 HxFigurePoser::boneFrame(const HxBone* bone)
{
    if (!bone)
        return m_figureFrame;
    // Figures list parents first, so when the bones are asked for in order
    // every parent is already known and each bone costs one product. Bones
    // asked for out of order resolve their unknown ancestors with a stack of
    // their own rather than by recursion: a chain may be 100,000 bones deep.
    const auto cached = m_frames.constFind(bone);
    if (cached != m_frames.cend())
        return *cached;
    const HxBone* source = sourceOf(bone);
    const auto known = source ? m_frames.constFind(source) : m_frames.cend();
    if (!source || known != m_frames.cend())
        return m_frames[bone] = frameFrom(bone, source ? *known : m_figureFrame);

    std::vector<const HxBone*> pending{bone};
    QSet<const HxBone*> onStack{bone};
    while (!pending.empty()) {
        const HxBone* current = pending.back();
        source = sourceOf(current);
        // A source already on the stack means a cycle, which only a broken
        // figure has; the bone then hangs from the figure.
        if (source && !m_frames.contains(source) && !onStack.contains(source)) {
            pending.push_back(source);
            onStack.insert(source);
            continue;
        }
        m_frames.insert(current,
                        frameFrom(current, source ? m_frames.value(source, m_figureFrame) : m_figureFrame));
        pending.pop_back();
    }
    return m_frames.value(bone);
}

const HxBone* HxFigurePoser::sourceOf(const HxBone* bone)
{
    const HxBone* followed = bone->getFollowBone();
    return followed && followed != bone ? followed : bone->getParentBone();
}

HxMatrix4 HxFigurePoser::frameFrom(const HxBone* bone, const HxMatrix4& sourceFrame)
{
    // Rest points share the figure's space, so a bone that follows another
    // simply takes that bone's whole frame, wherever its own parents are.
    const HxBone* followed = bone->getFollowBone();
    return followed && followed != bone ? sourceFrame : frameUnder(bone, sourceFrame);
}

HxMatrix4 HxFigurePoser::frameUnder(const HxBone* bone, const HxMatrix4& parent)
{
    const HxVec3 origin = bone->getOrigin();
    // Row vectors: move the origin to zero, apply the controls, move back,
    // then the parent's frame.
    const HxMatrix4 frame =
        HxMatrix4::translation(-origin) * bone->getLocalMatrix() * HxMatrix4::translation(origin) * parent;
    return frame.isFinite() ? frame : parent;
}

QList<HxPosedBone> HxFigurePoser::pose()
{
    QList<HxPosedBone> result;
    if (!m_figure)
        return result;
    QList<HxBone*> bones;
    m_figure->getAllBones(bones);
    result.reserve(bones.size());
    m_frames.reserve(bones.size());
    for (HxBone* bone : bones) {
        const HxMatrix4 frame = boneFrame(bone);
        result.append(
            {bone, frame.transformPoint(bone->getOrigin()), frame.transformPoint(bone->getEndPoint())});
    }
    return result;
}
