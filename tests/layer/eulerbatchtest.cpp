#include "layer/hxkinetoreulerbatch.h"

#include "layer/hxkinetorblend.h"

#include "hxcore/hxmatrix4.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxvec3.h"

#include <QRandomGenerator>
#include <bit>
#include <cmath>
#include <limits>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Units in the last place between two doubles of the same sign.
qint64 ulpsApart(double a, double b)
{
    return std::abs(std::bit_cast<qint64>(a) - std::bit_cast<qint64>(b));
}

// Floats one step apart or less.
bool withinOneFloatStep(float a, float b)
{
    return a == b || std::nextafter(a, b) == b;
}

// Against the library over every quadrant and octant boundary, magnitudes far
// apart, and the signed zeros whose quadrant only the sign bit tells.
TEST(EulerBatchTest, ArcTangentMatchesTheLibraryWithinTwoUlps)
{
    std::vector<double> ys, xs;
    const double edges[] = {0.0, -0.0, 1.0, -1.0, 1e-300, -1e-300, 0.75, -3.5, 1e300};
    for (double y : edges)
        for (double x : edges) {
            ys.push_back(y);
            xs.push_back(x);
        }
    QRandomGenerator random(5);
    for (int n = 0; n < 200000; ++n) {
        const double scale = std::pow(10.0, random.bounded(12.0) - 6.0);
        ys.push_back((random.generateDouble() * 2 - 1) * scale);
        xs.push_back(random.generateDouble() * 2 - 1);
    }
    // Near each tan(k pi / 32), where the reduction changes its centre.
    for (int k = 0; k <= 16; ++k)
        for (int d = -3; d <= 3; ++d) {
            ys.push_back(std::nextafter(std::tan(k * M_PI / 32), d < 0 ? 0.0 : 2.0) + d * 1e-17);
            xs.push_back(1.0);
        }
    std::vector<double> angles(ys.size());
    HxKinetorEulerBatch::atan2(ys.data(), xs.data(), angles.data(), int(ys.size()));
    qint64 worst = 0;
    for (std::size_t n = 0; n < ys.size(); ++n) {
        const double expected = std::atan2(ys[n], xs[n]);
        ASSERT_EQ(std::signbit(angles[n]), std::signbit(expected)) << ys[n] << ", " << xs[n];
        worst = std::max(worst, ulpsApart(angles[n], expected));
        ASSERT_LE(ulpsApart(angles[n], expected), 2)
            << "atan2(" << ys[n] << ", " << xs[n] << ") = " << angles[n] << ", library " << expected;
    }
    RecordProperty("worst_ulps", int(worst));
}

// The batch gives the angles of the one-at-a-time path (orthonormalized,
// a quaternion from the matrix, normalised, then getValue) in every order: on
// random rotations, which take every branch of the matrix-to-quaternion step;
// on matrices a little off orthonormal, as a blend leaves them; at and next to
// a middle angle of 90 degrees (the lock branch); on matrices no rotation
// comes from, which both take to the identity, and on those holding a value
// that is not finite; and, stored in any order and
// in any number, each rotation's angles land over its own first three floats.
TEST(EulerBatchTest, DegreesMatchTheSingleConversionInEveryOrder)
{
    const HxRotationOrder orders[] = {HxRotationOrder::XYZ, HxRotationOrder::XZY, HxRotationOrder::YXZ,
                                      HxRotationOrder::YZX, HxRotationOrder::ZXY, HxRotationOrder::ZYX};
    QRandomGenerator random(17);
    std::vector<HxMatrix4> matrices;
    auto addRotation = [&](const HxQuat& q) {
        HxMatrix4 m;
        q.getValue(m);
        matrices.push_back(m);
    };
    for (int n = 0; n < 6000; ++n) {
        HxQuat q(random.generateDouble() - 0.5, random.generateDouble() - 0.5, random.generateDouble() - 0.5,
                 random.generateDouble() - 0.5);
        q.normalize();
        addRotation(q);
        if (n % 3 == 0) {
            const double off = n % 2 ? 1e-3 : 0.3;
            for (int e = 0; e < 9; ++e)
                matrices.back().m[e / 3][e % 3] += float((random.generateDouble() - 0.5) * off);
        }
    }
    for (HxRotationOrder order : orders)
        for (double middle : {M_PI / 2, -M_PI / 2, M_PI / 2 - 1e-7, M_PI / 2 - 1e-5, 0.0, M_PI}) {
            int i, j, k;
            hxRotationOrderAxes(order, i, j, k);
            HxVec3 euler;
            euler[i] = 0.3f;
            euler[j] = float(middle);
            euler[k] = -1.1f;
            addRotation(HxQuat(order, euler));
        }
    // Half turns about each axis: one diagonal element far above the others.
    for (int axis = 0; axis < 3; ++axis) {
        HxVec3 euler;
        euler[axis] = float(M_PI);
        addRotation(HxQuat(HxRotationOrder::XYZ, euler));
    }
    addRotation(HxQuat()); // identity: zeros on both sides of many arc tangents
    matrices.push_back(HxMatrix4{});
    // A value that is not finite in a rotation amid finite ones, so that
    // its pass of lanes holds both.
    matrices[37].m[1][2] = std::numeric_limits<float>::quiet_NaN();
    matrices[42].m[2][0] = -std::numeric_limits<float>::infinity();

    // Stored back to front with a gap after each, so that the offsets run
    // down and no two rotations touch; 6,028 is not a multiple of the lanes.
    const std::size_t count = matrices.size();
    std::vector<int> offsets(count);
    for (std::size_t n = 0; n < count; ++n)
        offsets[n] = int(10 * (count - 1 - n));
    for (HxRotationOrder order : orders) {
        std::vector<float> values(10 * count, -7.0f);
        for (std::size_t n = 0; n < count; ++n)
            for (int e = 0; e < 9; ++e)
                values[std::size_t(offsets[n] + e)] = matrices[n].m[e / 3][e % 3];
        HxKinetorEulerBatch::convertInPlace(values.data(), offsets.data(), int(count), order);
        int inexact = 0;
        for (std::size_t n = 0; n < count; ++n) {
            HxMatrix4 m = matrices[n];
            hxOrthonormalizeRotation(m);
            HxQuat q;
            q.setValue(m);
            q.normalize();
            HxVec3 euler;
            q.getValue(order, euler);
            const float* got = values.data() + offsets[n];
            for (int axis = 0; axis < 3; ++axis) {
                const float expected = float(double(euler[axis]) * 57.29577951308232);
                ASSERT_TRUE(withinOneFloatStep(got[axis], expected))
                    << "rotation " << n << " axis " << axis << ": " << got[axis] << " vs " << expected;
                inexact += got[axis] != expected;
            }
            EXPECT_EQ(got[9], -7.0f) << "the gap after rotation " << n;
        }
        // A last-bit difference needs a value within a few double roundings of a
        // float's midpoint: a handful in a million at most.
        EXPECT_LE(inexact, 2) << "order " << int(order);
    }
}

} // namespace
