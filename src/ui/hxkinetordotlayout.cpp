#include "ui/hxkinetordotlayout.h"

#include "model/hxkinetorpose.h"

#include <algorithm>
#include <cmath>

namespace {

// Layer units a point may lie outside and still count as covered, so that a
// point clamped onto an edge (rounded to floats) stays inside.
constexpr double Tolerance = 1e-3;

double cross(QPointF o, QPointF a, QPointF b)
{
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

QPointF nearestOnSegment(QPointF point, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    if (length2 <= 0.0)
        return a;
    const double t = std::clamp(QPointF::dotProduct(point - a, ab) / length2, 0.0, 1.0);
    return a + ab * t;
}

// Andrew's monotone chain; collinear points on the hull's edges are dropped.
QPolygonF convexHull(std::vector<QPointF> points)
{
    std::sort(points.begin(), points.end(),
              [](QPointF a, QPointF b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3)
        return QPolygonF(QList<QPointF>(points.begin(), points.end()));
    std::vector<QPointF> hull(2 * points.size());
    std::size_t k = 0;
    for (const QPointF& p : points) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], p) <= 0.0)
            --k;
        hull[k++] = p;
    }
    for (std::size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], points[i]) <= 0.0)
            --k;
        hull[k++] = points[i];
    }
    hull.resize(k - 1);
    return QPolygonF(QList<QPointF>(hull.begin(), hull.end()));
}

} // namespace

HxKinetorDotLayout::HxKinetorDotLayout(const QList<HxKinetorPose*>& poses)
{
    m_sharesCell.assign(std::size_t(poses.size()), false);
    for (int i = 0; i < poses.size(); ++i) {
        const HxKinetorPose* pose = poses[i];
        const int cx = hxTruncateCoordinate(pose->getX());
        const int cy = hxTruncateCoordinate(pose->getY());
        const bool shared = std::any_of(m_distinct.begin(), m_distinct.end(), [&](const HxBlendDot& dot) {
            return hxTruncateCoordinate(dot.x) == cx && hxTruncateCoordinate(dot.y) == cy;
        });
        m_sharesCell[std::size_t(i)] = shared;
        if (!shared) {
            m_distinct.push_back({pose->getX(), pose->getY()});
            m_indices.push_back(i);
        }
    }
    if (!canBlend())
        return;

    // The blend's own layout test decides between a line and an area.
    HxKinetorMatrix system;
    double tc = 0.0;
    buildBlendSystem(m_distinct, 0.0f, 0.0f, system, m_collinear, tc);
    if (m_collinear) {
        m_lineOrigin = QPointF(m_distinct[0].x, m_distinct[0].y);
        const QPointF towards = QPointF(m_distinct[1].x, m_distinct[1].y) - m_lineOrigin;
        const double length = std::hypot(towards.x(), towards.y());
        m_lineDirection = length > 0.0 ? towards / length : QPointF(1.0, 0.0);
        QPointF low = m_lineOrigin;
        QPointF high = m_lineOrigin;
        for (const HxBlendDot& dot : m_distinct) {
            const QPointF p(dot.x, dot.y);
            const double t = along(p);
            if (t < m_lineMin) {
                m_lineMin = t;
                low = p;
            }
            if (t > m_lineMax) {
                m_lineMax = t;
                high = p;
            }
        }
        m_hull = QPolygonF({low, high});
        return;
    }
    std::vector<QPointF> points;
    points.reserve(m_distinct.size());
    for (const HxBlendDot& dot : m_distinct)
        points.emplace_back(dot.x, dot.y);
    m_hull = convexHull(std::move(points));
}

bool HxKinetorDotLayout::sharesCell(int poseIndex) const
{
    return poseIndex >= 0 && std::size_t(poseIndex) < m_sharesCell.size() &&
           m_sharesCell[std::size_t(poseIndex)];
}

double HxKinetorDotLayout::along(QPointF point) const
{
    return QPointF::dotProduct(point - m_lineOrigin, m_lineDirection);
}

bool HxKinetorDotLayout::covers(QPointF point) const
{
    if (!canBlend())
        return true;
    if (m_collinear) {
        const double t = along(point);
        return t >= m_lineMin - Tolerance && t <= m_lineMax + Tolerance;
    }
    const int count = int(m_hull.size());
    for (int i = 0; i < count; ++i) {
        const QPointF a = m_hull[i];
        const QPointF b = m_hull[(i + 1) % count];
        const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
        // Counter-clockwise in these coordinates: inside lies to the left.
        if (cross(a, b, point) < -Tolerance * length)
            return false;
    }
    return true;
}

QPointF HxKinetorDotLayout::clamp(QPointF point) const
{
    if (covers(point))
        return point;
    if (m_collinear) {
        const double t = along(point);
        const double target = std::clamp(t, m_lineMin, m_lineMax);
        return point + m_lineDirection * (target - t);
    }
    QPointF best = m_hull.first();
    double bestDistance = -1.0;
    const int count = int(m_hull.size());
    for (int i = 0; i < count; ++i) {
        const QPointF candidate = nearestOnSegment(point, m_hull[i], m_hull[(i + 1) % count]);
        const QPointF d = candidate - point;
        const double distance = QPointF::dotProduct(d, d);
        if (bestDistance < 0.0 || distance < bestDistance) {
            bestDistance = distance;
            best = candidate;
        }
    }
    return best;
}
