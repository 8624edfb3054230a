#include "hxfigureposer.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxskeleton.h"

namespace {
// Deeper chains than this can only come from a cycle; they stop there
// rather than overflow the stack.
constexpr int kMaxDepth = 256;
} // namespace

HxFigurePoser::HxFigurePoser(const HxSkeleton* figure)
    : m_figure(figure), m_figureFrame(figure ? figure->getWorldMatrix() : HxMatrix4::identity())
{}

HxMatrix4 HxFigurePoser::boneFrame(const HxBone* bone)
{
    return frameOf(bone, 0);
}

HxMatrix4 HxFigurePoser::frameOf(const HxBone* bone, int depth)
{
    if (!bone || depth > kMaxDepth)
        return m_figureFrame;
    auto cached = m_frames.constFind(bone);
    if (cached != m_frames.cend())
        return *cached;

    // Rest points share the figure's space, so a bone that follows another
    // simply takes that bone's whole frame, wherever its own parents are.
    const HxBone* followed = bone->getFollowBone();
    if (followed && followed != bone) {
        const HxMatrix4 frame = frameOf(followed, depth + 1);
        m_frames.insert(bone, frame);
        return frame;
    }

    const HxVec3 origin = bone->getOrigin();
    const HxMatrix4 parent =
        bone->getParentBone() ? frameOf(bone->getParentBone(), depth + 1) : m_figureFrame;
    // Row vectors: move the origin to zero, apply the controls, move back,
    // then the parent's frame.
    HxMatrix4 frame =
        HxMatrix4::translation(-origin) * bone->getLocalMatrix() * HxMatrix4::translation(origin) * parent;
    if (!frame.isFinite())
        frame = parent;
    m_frames.insert(bone, frame);
    return frame;
}

QList<HxPosedBone> HxFigurePoser::pose()
{
    QList<HxPosedBone> result;
    if (!m_figure)
        return result;
    QList<HxBone*> bones;
    m_figure->getAllBones(bones);
    result.reserve(bones.size());
    for (HxBone* bone : bones) {
        const HxMatrix4 frame = boneFrame(bone);
        result.append(
            {bone, frame.transformPoint(bone->getOrigin()), frame.transformPoint(bone->getEndPoint())});
    }
    return result;
}
