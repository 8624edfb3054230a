#pragma once

#include "hxcore/hxglobal.h"
#include "hxcore/hxtime.h"

#include <QMetaType>

class QDebug;

// A span of scene time in ticks; both ends are part of the range. A range
// whose start lies after its end contains no time at all.
class HXCORE_EXPORT HxTimeRange
{
public:
    HxTimeRange() = default;
    HxTimeRange(int s, int e) : start(s), end(e) {}

    void setEnds(int s, int e);
    // Widens the range just enough to contain the time.
    void include(int t);
    bool contains(int t) const { return start <= t && t <= end; }
    bool isEmpty() const { return start > end; }

    bool operator==(const HxTimeRange& other) const { return start == other.start && end == other.end; }
    bool operator!=(const HxTimeRange& other) const { return !(*this == other); }

    int start = 0;
    int end = 0;
};

HXCORE_EXPORT QDebug operator<<(QDebug debug, const HxTimeRange& range);

Q_DECLARE_METATYPE(HxTimeRange)
