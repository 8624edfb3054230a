#include "layer/hxkinetoreulerbatch.h"

#include "hxcore/hxquat.h"
#include "hxcore/hxvec3.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRadToDeg = 57.29577951308232;
constexpr double kPi = 3.141592653589793116;
constexpr double kHalfPi = 1.570796326794896558;

// Degrees as the blend sets them: the float radians scaled in double.
float toDegrees(float radians)
{
    return float(double(radians) * kRadToDeg);
}

// atan(z) for 0 <= z <= 1 (or NaN). z is moved next to the nearest of
// tan(k pi / 16), k = 0..4, where atan(z) = k pi / 16 + atan(u) with
// u = (z - c) / (1 + z c) and |u| <= tan(pi / 32); nine terms of the series
// then leave an error far below a double's rounding. z - c is exact, as z
// and c lie within a factor of two of each other.
inline double atanUnit(double z)
{
    constexpr double kStep = kPi / 16.0;
    // tan(k pi / 16) and the midpoints tan((2k - 1) pi / 32) between them.
    constexpr double kTan1 = 0.19891236737965800691, kTan2 = 0.41421356237309504880,
                     kTan3 = 0.66817863791929891999;
    constexpr double kMid1 = 0.09849140335716425, kMid2 = 0.3033466836073424, kMid3 = 0.5345111359507916,
                     kMid4 = 0.8206787908286602;
    // One plain choice after another, which vectorizes where nested ones
    // do not.
    double c = 0.0, base = 0.0;
    c = z > kMid1 ? kTan1 : c;
    base = z > kMid1 ? kStep : base;
    c = z > kMid2 ? kTan2 : c;
    base = z > kMid2 ? 2 * kStep : base;
    c = z > kMid3 ? kTan3 : c;
    base = z > kMid3 ? 3 * kStep : base;
    c = z > kMid4 ? 1.0 : c;
    base = z > kMid4 ? 4 * kStep : base;
    const double u = (z - c) / (1.0 + z * c);
    const double u2 = u * u;
    double series = 1.0 / 17.0;
    series = series * u2 - 1.0 / 15.0;
    series = series * u2 + 1.0 / 13.0;
    series = series * u2 - 1.0 / 11.0;
    series = series * u2 + 1.0 / 9.0;
    series = series * u2 - 1.0 / 7.0;
    series = series * u2 + 1.0 / 5.0;
    series = series * u2 - 1.0 / 3.0;
    return base + (u + u * (series * u2));
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void atan2Lanes(const double* __restrict y, const double* __restrict x, double* __restrict angles, int count)
{
    for (int n = 0; n < count; ++n) {
        const double ay = std::fabs(y[n]);
        const double ax = std::fabs(x[n]);
        const double larger = ax > ay ? ax : ay;
        const double smaller = ax > ay ? ay : ax;
        // Both zero: z is 0, and the angle 0 or pi by the signs alone.
        const double z = smaller / (larger > 0.0 ? larger : 1.0);
        double angle = atanUnit(z);
        angle = ay > ax ? kHalfPi - angle : angle;
        // The sign bit of x, -0 included (std::signbit would not vectorize).
        angle = std::copysign(1.0, x[n]) < 0.0 ? kPi - angle : angle;
        angles[n] = std::copysign(angle, y[n]);
    }
}

} // namespace

void HxKinetorEulerBatch::atan2(const double* y, const double* x, double* angles, int count)
{
    atan2Lanes(y, x, angles, count);
}

void HxKinetorEulerBatch::add(const HxQuat& rotation, HxRotationOrder order, float* degrees)
{
    int i, j, k;
    const double s = hxRotationOrderAxes(order, i, j, k) ? 1.0 : -1.0;
    double r[3][3];
    rotation.rotationColumns(r);
    const double cosB = std::sqrt(r[k][j] * r[k][j] + r[k][k] * r[k][k]);
    if (!(cosB > HxQuat::GimbalLockCosine)) {
        // Locked (or not finite): rare, and one library call is fine there.
        HxVec3 euler;
        rotation.getValue(order, euler);
        for (int axis = 0; axis < 3; ++axis)
            degrees[axis] = toDegrees(euler[axis]);
        return;
    }
    m_pending.push_back({degrees, i, j, k});
    const double sinB = std::clamp(-s * r[k][i], -1.0, 1.0);
    m_y.insert(m_y.end(), {s * r[k][j], sinB, s * r[j][i]});
    m_x.insert(m_x.end(), {r[k][k], cosB, r[i][i]});
}

void HxKinetorEulerBatch::run()
{
    m_angles.resize(m_y.size());
    atan2Lanes(m_y.data(), m_x.data(), m_angles.data(), int(m_y.size()));
    for (std::size_t n = 0; n < m_pending.size(); ++n) {
        const Pending& p = m_pending[n];
        const double* angles = m_angles.data() + 3 * n;
        p.degrees[p.first] = toDegrees(float(angles[0]));
        p.degrees[p.second] = toDegrees(float(angles[1]));
        p.degrees[p.third] = toDegrees(float(angles[2]));
    }
    m_pending.clear();
    m_y.clear();
    m_x.clear();
}
