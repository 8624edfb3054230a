#pragma once

#include "hxcore/hxmatrix4.h"
#include "hxcore/hxvec3.h"

#include <QHash>
#include <QList>

class HxBone;
class HxSkeleton;

struct HxPosedBone
{
    HxBone* bone = nullptr;
    HxVec3 start;
    HxVec3 end;
};

// Carries the rest geometry of a figure's bones through the hierarchy with
// the current values of their transform controls. Rest points are in the
// figure's space; a bone turns, scales and moves about its own origin, and
// takes its parent's frame along. A bone that follows another moves exactly
// as that bone does.
class HxFigurePoser
{
public:
    explicit HxFigurePoser(const HxSkeleton* figure);

    // Maps a point of the bone's rest geometry into the world.
    HxMatrix4 boneFrame(const HxBone* bone);
    // Every bone of the figure, in the figure's order.
    QList<HxPosedBone> pose();

private:
    HxMatrix4 frameOf(const HxBone* bone, int depth);

    const HxSkeleton* m_figure;
    HxMatrix4 m_figureFrame;
    QHash<const HxBone*, HxMatrix4> m_frames;
};
