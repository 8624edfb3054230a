#pragma once

#include "hxcore/hxmatrix4.h"
#include "hxcore/hxvec3.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <vector>

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
    // Every bone of the figure, in the figure's order: one pass, parents
    // before children.
    QList<HxPosedBone> pose();

private:
    // The bone whose frame this one builds on: the one it follows, else its
    // parent (null: the figure).
    static const HxBone* sourceOf(const HxBone* bone);
    static HxMatrix4 frameFrom(const HxBone* bone, const HxMatrix4& sourceFrame);
    static HxMatrix4 frameUnder(const HxBone* bone, const HxMatrix4& parent);

    const HxSkeleton* m_figure;
    HxMatrix4 m_figureFrame;
    QHash<const HxBone*, HxMatrix4> m_frames;
};
