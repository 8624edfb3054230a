#pragma once

#include "hxcore/hxquat.h"
#include "hxcore/hxtimerange.h"
#include "hxcore/hxvec3.h"

#include <QString>
#include <QStringList>

class HxBone;
class HxMorph;
class HxSkeleton;

// Writes the animation of a figure over a range of the timeline to a file
// that other tools read: BVH (.bvh) or glTF 2.0 (.gltf, .glb), chosen by
// the file's extension. One sample a frame.
//
// Bones' rotations, the translations of bones that move, and morph values
// are written; scale controls and the figure node's own transform are not,
// since neither format has a place that other tools would read them from
// consistently.
class HxAnimationExporter
{
public:
    static QStringList filePatterns();
    static bool handles(const QString& path);

    // False with the reason in *error (error may be null); a failed export
    // leaves no partial file behind.
    static bool write(const HxSkeleton* figure, const HxTimeRange& range, int ticksPerFrame,
                      const QString& path, QString* error = nullptr);

    // What the writers share: a bone's controls at a time, and every morph
    // of a figure (the figure's own, then its bones').
    static HxQuat rotationAt(const HxBone* bone, int time);
    static HxVec3 translationAt(const HxBone* bone, int time);
    static QList<HxMorph*> morphsOf(const HxSkeleton* figure);
};
