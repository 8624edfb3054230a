#include "hxcore/hxquat.h"

#include "hxcore/hxmatrix4.h"

#include <QDebug>

#include <algorithm>
#include <cmath>

namespace {

// Below GimbalLockCosine of the middle angle the first and last axes are
// treated as aligned. A middle angle of 90 degrees that went through a float is
// off by up to ~1e-7 rad and must still count as locked, or its first and last
// angles would come back as a surprising pair of half turns. The rotation
// dropped by the lock branch stays below this cosine in radians.
constexpr double kGimbalLockCosine = HxQuat::GimbalLockCosine;

HxQuat axisQuat(int axis, double radians)
{
    HxQuat result(0.0, 0.0, 0.0, std::cos(radians * 0.5));
    result[axis] = std::sin(radians * 0.5);
    return result;
}

} // namespace

HxQuat HxQuat::fromAxisAngle(const HxVec3& axis, double radians)
{
    const double len = std::sqrt(double(axis.x) * axis.x + double(axis.y) * axis.y + double(axis.z) * axis.z);
    if (!(len > 0.0) || !std::isfinite(len))
        return HxQuat();
    const double s = std::sin(radians * 0.5) / len;
    return HxQuat(axis.x * s, axis.y * s, axis.z * s, std::cos(radians * 0.5));
}

void HxQuat::makeIdentity()
{
    q[0] = q[1] = q[2] = 0.0;
    q[3] = 1.0;
}

void HxQuat::setValue(double xValue, double yValue, double zValue, double wValue, bool keepAsIs)
{
    Q_UNUSED(keepAsIs);
    q[0] = xValue;
    q[1] = yValue;
    q[2] = zValue;
    q[3] = wValue;
}

void HxQuat::setValue(HxRotationOrder order, const HxVec3& eulerRadians)
{
    int first, second, third;
    hxRotationOrderAxes(order, first, second, third);
    *this = axisQuat(third, eulerRadians[third]) * axisQuat(second, eulerRadians[second]) *
            axisQuat(first, eulerRadians[first]);
}

void HxQuat::getValue(HxRotationOrder order, HxVec3& eulerRadians) const
{
    int i, j, k;
    // With r = Rk(c) * Rj(b) * Ri(a) (column vectors), s folds the sign
    // differences between cyclic and anti-cyclic axis orders into one formula.
    const double s = hxRotationOrderAxes(order, i, j, k) ? 1.0 : -1.0;
    double r[3][3];
    rotationColumns(r);

    // atan2 over the cosine is well conditioned near +-90 degrees, where asin
    // of a rounded sine would lose half the digits; the clamp keeps a sine a
    // hair beyond 1 from producing NaN in the lock branch's asin fallback.
    const double cosB = std::hypot(r[k][j], r[k][k]);
    const double sinB = std::clamp(-s * r[k][i], -1.0, 1.0);
    double a, b, c;
    if (cosB > kGimbalLockCosine) {
        b = std::atan2(sinB, cosB);
        a = std::atan2(s * r[k][j], r[k][k]);
        c = std::atan2(s * r[j][i], r[i][i]);
    } else {
        // Rk(c) * Rj(+-90) equals Rj(+-90) * Ri(-+c): the last rotation folds
        // into the first. Keep c = 0 and read the combined first angle from
        // row j, which Rj leaves alone.
        b = std::asin(sinB);
        a = std::atan2(-s * r[j][k], r[j][j]);
        c = 0.0;
    }
    eulerRadians[i] = float(a);
    eulerRadians[j] = float(b);
    eulerRadians[k] = float(c);
}

void HxQuat::getValue(HxMatrix4& matrix) const
{
    double r[3][3];
    rotationColumns(r);
    // Row-vector convention: the matrix is the transpose of r, so row i is
    // column i of r, the image of the i-th axis.
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col)
            matrix.m[row][col] = float(r[col][row]);
        matrix.m[row][3] = 0.0f;
    }
    matrix.m[3][0] = matrix.m[3][1] = matrix.m[3][2] = 0.0f;
    matrix.m[3][3] = 1.0f;
}

void HxQuat::setValue(const HxMatrix4& matrix)
{
    // r[a][b] of the column-vector rotation is matrix.m[b][a].
    auto r = [&matrix](int a, int b) {
        return double(matrix.m[b][a]);
    };
    const double trace = r(0, 0) + r(1, 1) + r(2, 2);

    // Shepperd: derive the largest of |w|, |x|, |y|, |z| from the diagonal
    // and the other three from off-diagonal sums, so no division ever uses a
    // small, badly rounded component.
    int largest = 3;
    double best = trace;
    for (int d = 0; d < 3; ++d) {
        if (r(d, d) > best) {
            best = r(d, d);
            largest = d;
        }
    }

    double root;
    if (largest == 3) {
        root = std::sqrt(std::max(1.0 + trace, 0.0));
        const double f = root > 0.0 ? 0.5 / root : 0.0;
        q[3] = 0.5 * root;
        q[0] = (r(2, 1) - r(1, 2)) * f;
        q[1] = (r(0, 2) - r(2, 0)) * f;
        q[2] = (r(1, 0) - r(0, 1)) * f;
    } else {
        const int a = largest;
        const int b = (a + 1) % 3;
        const int c = (a + 2) % 3;
        root = std::sqrt(std::max(1.0 + r(a, a) - r(b, b) - r(c, c), 0.0));
        const double f = root > 0.0 ? 0.5 / root : 0.0;
        q[a] = 0.5 * root;
        q[b] = (r(b, a) + r(a, b)) * f;
        q[c] = (r(c, a) + r(a, c)) * f;
        q[3] = (r(c, b) - r(b, c)) * f;
    }
    if (!(root > 0.0) || !isFinite()) {
        makeIdentity();
        return;
    }
    normalize();
}

void HxQuat::normalize()
{
    const double len = length();
    if (!(len > 0.0) || !std::isfinite(len)) {
        makeIdentity();
        return;
    }
    for (double& component : q)
        component /= len;
}

HxQuat HxQuat::normalized() const
{
    HxQuat copy = *this;
    copy.normalize();
    return copy;
}

double HxQuat::length() const
{
    return std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
}

bool HxQuat::equals(const HxQuat& other, float tolerance) const
{
    for (int n = 0; n < 4; ++n)
        if (!(std::fabs(q[n] - other.q[n]) <= tolerance))
            return false;
    return true;
}

HxQuat HxQuat::conjugate() const
{
    return HxQuat(-q[0], -q[1], -q[2], q[3]);
}

HxVec3 HxQuat::rotate(const HxVec3& v) const
{
    double r[3][3];
    rotationColumns(r);
    HxVec3 result;
    for (int row = 0; row < 3; ++row)
        result[row] = float(r[row][0] * v.x + r[row][1] * v.y + r[row][2] * v.z);
    return result;
}

bool HxQuat::isFinite() const
{
    return std::isfinite(q[0]) && std::isfinite(q[1]) && std::isfinite(q[2]) && std::isfinite(q[3]);
}

QString HxQuat::toString() const
{
    return QStringLiteral("HxQuat(%1, %2, %3, %4)").arg(q[0]).arg(q[1]).arg(q[2]).arg(q[3]);
}

HxQuat HxQuat::operator*(const HxQuat& o) const
{
    const double ax = q[0], ay = q[1], az = q[2], aw = q[3];
    const double bx = o.q[0], by = o.q[1], bz = o.q[2], bw = o.q[3];
    return HxQuat(aw * bx + ax * bw + ay * bz - az * by, aw * by - ax * bz + ay * bw + az * bx,
                  aw * bz + ax * by - ay * bx + az * bw, aw * bw - ax * bx - ay * by - az * bz);
}

bool HxQuat::operator==(const HxQuat& other) const
{
    return q[0] == other.q[0] && q[1] == other.q[1] && q[2] == other.q[2] && q[3] == other.q[3];
}

void HxQuat::rotationColumns(double r[3][3]) const
{
    const double norm2 = q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3];
    if (!(norm2 > 0.0) || !std::isfinite(norm2)) {
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b)
                r[a][b] = a == b ? 1.0 : 0.0;
        return;
    }
    // 2 / |q|^2 instead of 2 normalises on the fly.
    const double s = 2.0 / norm2;
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    r[0][0] = 1.0 - s * (y * y + z * z);
    r[0][1] = s * (x * y - z * w);
    r[0][2] = s * (x * z + y * w);
    r[1][0] = s * (x * y + z * w);
    r[1][1] = 1.0 - s * (x * x + z * z);
    r[1][2] = s * (y * z - x * w);
    r[2][0] = s * (x * z - y * w);
    r[2][1] = s * (y * z + x * w);
    r[2][2] = 1.0 - s * (x * x + y * y);
}

QDebug operator<<(QDebug debug, const HxQuat& quat)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "HxQuat(" << quat.x() << ", " << quat.y() << ", " << quat.z() << ", " << quat.w()
                    << ')';
    return debug;
}
