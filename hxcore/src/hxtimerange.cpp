#include "hxcore/hxtimerange.h"

#include <QDebug>

#include <algorithm>

void HxTimeRange::setEnds(int s, int e)
{
    start = s;
    end = e;
}

void HxTimeRange::include(int t)
{
    // An empty range holds nothing to keep, so it becomes just that time
    // rather than the span between its inverted ends.
    if (isEmpty()) {
        start = end = t;
        return;
    }
    start = std::min(start, t);
    end = std::max(end, t);
}

QDebug operator<<(QDebug debug, const HxTimeRange& range)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "HxTimeRange(" << range.start << ", " << range.end << ')';
    return debug;
}
