#pragma once

#include "hxcore/hxtimerange.h"

#include <QString>

class HxSkeleton;

// Writes a figure as a glTF 2.0 scene (text with the data embedded, or
// binary .glb): its bones as a skin's joints, its skinned mesh (or, for a
// figure without one, a simple shell around each bone) with the figure's
// morphs as morph targets, and the range as one animation sampled a frame at
// a time: joint rotations, the translations of bones that move, morph
// weights. Lengths go from centimetres to the format's metres.
class HxGltfWriter
{
public:
    static bool write(const HxSkeleton* figure, const HxTimeRange& range, int ticksPerFrame,
                      const QString& path, QString* error);
};
