#pragma once

#include "hxcore/hxtimerange.h"

#include <QString>

class HxSkeleton;

// Writes a figure's bones and their motion as BVH text: the hierarchy with
// each bone's rest offset and rotation order, then one line a frame. Roots
// (and bones whose translate controls move) get position channels.
class HxBvhWriter
{
public:
    static bool write(const HxSkeleton* figure, const HxTimeRange& range, int ticksPerFrame,
                      const QString& path, QString* error);
};
