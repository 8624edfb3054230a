#pragma once

#include <QString>
#include <memory>

class HxSkeleton;

// Makes skinned figures from nothing: a tube of skin around each bone,
// blended into its parent's at the joint, morphs that swell parts of it,
// and a short take. The sample figure in samples/figures comes from here
// (through tools/hxmakefigure), and so do the large figures that the
// benchmarks import.
class HxSampleFigureBuilder
{
public:
    // "critter": a small two-legged figure, 12 bones, 3 morphs, a one-second
    // take (31 frames at 30 frames a second).
    static std::unique_ptr<HxSkeleton> critter();

    // A figure with the given counts: a spine with branching limbs,
    // vertices spread evenly over the bones (rounded to whole rings), each
    // morph swelling one bone's skin, and a one-second take on every bone.
    static std::unique_ptr<HxSkeleton> synthetic(int bones, int morphs, int vertices);
};
