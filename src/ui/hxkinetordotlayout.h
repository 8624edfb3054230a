#pragma once

#include "layer/hxkinetorblend.h"

#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <vector>

class HxKinetorPose;

// The dots of a layer as the blend sees them: a dot that shares its integer
// cell with an earlier dot is left out (only the first of a cell counts), and
// the area the remaining dots cover, inside which the blend interpolates and
// outside which it extrapolates. When the blend treats the dots as lying on
// one line, the covered area is the band across that line between its two
// outermost dots, since the blend then ignores where the cursor lies across
// the line.
class HxKinetorDotLayout
{
public:
    HxKinetorDotLayout() = default;
    explicit HxKinetorDotLayout(const QList<HxKinetorPose*>& poses);

    int poseCount() const { return int(m_sharesCell.size()); }
    // Whether the pose at that list index shares its cell with an earlier one.
    bool sharesCell(int poseIndex) const;
    bool hasSharedCells() const { return m_distinct.size() < m_sharesCell.size(); }
    // At least two distinct cells: the blend can run.
    bool canBlend() const { return m_distinct.size() >= 2; }

    // The counted dots, in list order, and the list index of each.
    const std::vector<HxBlendDot>& distinctDots() const { return m_distinct; }
    const std::vector<int>& distinctIndices() const { return m_indices; }
    // Where the blend treats the dots as lying on one line.
    bool isCollinear() const { return m_collinear; }

    // The convex hull of the counted dots, turning so that the inside lies to
    // the left of each edge as the cross product sees it; for a collinear
    // layout the two outermost dots on the line.
    const QPolygonF& hull() const { return m_hull; }
    // Whether the blend interpolates at the point (a small tolerance keeps a
    // clamped point inside). Always true while the layer cannot blend.
    bool covers(QPointF point) const;
    // The nearest covered point; the point itself when covered.
    QPointF clamp(QPointF point) const;

private:
    // Coordinate along the line of a collinear layout, from the first dot.
    double along(QPointF point) const;

    std::vector<bool> m_sharesCell;
    std::vector<HxBlendDot> m_distinct;
    std::vector<int> m_indices;
    bool m_collinear = true;
    QPolygonF m_hull;
    QPointF m_lineOrigin;
    QPointF m_lineDirection;
    double m_lineMin = 0.0;
    double m_lineMax = 0.0;
};
