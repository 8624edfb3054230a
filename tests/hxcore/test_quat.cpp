#include "hxcore/hxmatrix4.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxrotationorder.h"
#include "hxcore/hxvec3.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <ostream>
#include <random>
#include <vector>

void PrintTo(const HxVec3& v, std::ostream* os)
{
    *os << v.toString().toStdString();
}

void PrintTo(const HxQuat& q, std::ostream* os)
{
    *os << q.toString().toStdString();
}

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHalfPi = kPi / 2.0;
constexpr float kDeg = float(kPi / 180.0);

const std::array<HxRotationOrder, 6> kOrders = {HxRotationOrder::XYZ, HxRotationOrder::XZY,
                                                HxRotationOrder::YXZ, HxRotationOrder::YZX,
                                                HxRotationOrder::ZXY, HxRotationOrder::ZYX};

// Right-handed rotation about one coordinate axis, written out independently
// of HxQuat so the tests do not check the code against itself.
std::array<double, 3> rotateAboutAxis(const std::array<double, 3>& v, int axis, double angle)
{
    const double c = std::cos(angle), s = std::sin(angle);
    switch (axis) {
    case 0:
        return {v[0], c * v[1] - s * v[2], s * v[1] + c * v[2]};
    case 1:
        return {c * v[0] + s * v[2], v[1], -s * v[0] + c * v[2]};
    default:
        return {c * v[0] - s * v[1], s * v[0] + c * v[1], v[2]};
    }
}

// Applies the three axis rotations in the order the name spells.
HxVec3 rotateByNamedOrder(HxRotationOrder order, const HxVec3& angles, const HxVec3& v)
{
    const QString name = hxRotationOrderName(order);
    std::array<double, 3> p = {v.x, v.y, v.z};
    for (QChar letter : name) {
        const int axis = letter.unicode() - 'X';
        p = rotateAboutAxis(p, axis, angles[axis]);
    }
    return {float(p[0]), float(p[1]), float(p[2])};
}

const std::array<HxVec3, 3> kProbes = {HxVec3(1.0f, 0.0f, 0.0f), HxVec3(0.0f, 1.0f, 0.0f),
                                       HxVec3(0.3f, -0.5f, 0.8f)};

// Two quaternions are the same rotation when they agree up to sign.
bool sameRotation(const HxQuat& a, const HxQuat& b, float tolerance)
{
    const HxQuat minusB(-b.x(), -b.y(), -b.z(), -b.w());
    if (!a.equals(b, tolerance) && !a.equals(minusB, tolerance))
        return false;
    for (const HxVec3& probe : kProbes)
        if (!a.rotate(probe).equals(b.rotate(probe), tolerance))
            return false;
    return true;
}

HxQuat randomUnitQuat(std::mt19937& rng)
{
    std::normal_distribution<double> normal;
    HxQuat q(normal(rng), normal(rng), normal(rng), normal(rng));
    q.normalize();
    return q;
}

HxVec3 randomAngles(std::mt19937& rng)
{
    std::uniform_real_distribution<float> angle(float(-kPi), float(kPi));
    return {angle(rng), angle(rng), angle(rng)};
}

float determinant3(const HxMatrix4& m)
{
    return m.row(0).dot(m.row(1).cross(m.row(2)));
}

} // namespace

// --- Euler angles ---------------------------------------------------------------

TEST(HxQuatEuler, RotationsAreRightHandedAndOrderFollowsTheName)
{
    const HxVec3 ex(1, 0, 0), ey(0, 1, 0), ez(0, 0, 1);
    for (HxRotationOrder order : kOrders) {
        SCOPED_TRACE(hxRotationOrderName(order).toStdString());
        // A positive quarter turn takes Y to Z about X, Z to X about Y, X to Y about Z.
        EXPECT_TRUE(HxQuat(order, HxVec3(90 * kDeg, 0, 0)).rotate(ey).equals(ez, 1e-6f));
        EXPECT_TRUE(HxQuat(order, HxVec3(0, 90 * kDeg, 0)).rotate(ez).equals(ex, 1e-6f));
        EXPECT_TRUE(HxQuat(order, HxVec3(0, 0, 90 * kDeg)).rotate(ex).equals(ey, 1e-6f));
    }

    // X then Y: Y goes to Z, then Z goes to X. Y then X: Y stays, then goes to Z.
    const HxVec3 quarterXY(90 * kDeg, 90 * kDeg, 0);
    EXPECT_TRUE(HxQuat(HxRotationOrder::XYZ, quarterXY).rotate(ey).equals(ex, 1e-6f));
    EXPECT_TRUE(HxQuat(HxRotationOrder::YXZ, quarterXY).rotate(ey).equals(ez, 1e-6f));
    // Z then X: X goes to Y, then Y goes to Z. X then Z: X stays, then goes to Y.
    const HxVec3 quarterXZ(90 * kDeg, 0, 90 * kDeg);
    EXPECT_TRUE(HxQuat(HxRotationOrder::ZXY, quarterXZ).rotate(ex).equals(ez, 1e-6f));
    EXPECT_TRUE(HxQuat(HxRotationOrder::XZY, quarterXZ).rotate(ex).equals(ey, 1e-6f));

    // XYZ is qz * qy * qx as quaternions.
    const HxVec3 angles(0.4f, -1.1f, 2.3f);
    const HxQuat composed = HxQuat::fromAxisAngle(ez, angles.z) * HxQuat::fromAxisAngle(ey, angles.y) *
                            HxQuat::fromAxisAngle(ex, angles.x);
    EXPECT_TRUE(HxQuat(HxRotationOrder::XYZ, angles).equals(composed, 1e-6f));

    std::mt19937 rng(1234);
    for (HxRotationOrder order : kOrders) {
        SCOPED_TRACE(hxRotationOrderName(order).toStdString());
        for (int n = 0; n < 500; ++n) {
            const HxVec3 a = randomAngles(rng);
            const HxQuat q(order, a);
            for (const HxVec3& probe : kProbes)
                ASSERT_TRUE(q.rotate(probe).equals(rotateByNamedOrder(order, a, probe), 2e-6f))
                    << a.toString().toStdString();
        }
    }
}

TEST(HxQuatEuler, RoundTripReproducesTheRotation)
{
    std::mt19937 rng(20240611);
    for (HxRotationOrder order : kOrders) {
        SCOPED_TRACE(hxRotationOrderName(order).toStdString());
        for (int n = 0; n < 2000; ++n) {
            const HxVec3 input = randomAngles(rng);
            const HxQuat q1(order, input);
            HxVec3 angles;
            q1.getValue(order, angles);
            ASSERT_TRUE(angles.isFinite());
            const HxQuat q2(order, angles);
            ASSERT_TRUE(sameRotation(q1, q2, 2e-6f))
                << input.toString().toStdString() << " -> " << angles.toString().toStdString();

            // The middle angle stays within a quarter turn, the others within a half.
            int first, second, third;
            hxRotationOrderAxes(order, first, second, third);
            ASSERT_LE(std::fabs(angles[second]), float(kHalfPi) + 1e-6f);
            ASSERT_LE(std::fabs(angles[first]), float(kPi) + 1e-6f);
            ASSERT_LE(std::fabs(angles[third]), float(kPi) + 1e-6f);
        }
        // Arbitrary rotations, not only ones built from angles.
        for (int n = 0; n < 500; ++n) {
            const HxQuat q1 = randomUnitQuat(rng);
            HxVec3 angles;
            q1.getValue(order, angles);
            ASSERT_TRUE(sameRotation(q1, HxQuat(order, angles), 2e-6f));
        }
    }
}

TEST(HxQuatEuler, AnglesWithinRangeComeBackUnchanged)
{
    // A pose captured from the rotation controls and applied again must give
    // the controls back, not merely an equivalent rotation.
    std::mt19937 rng(77);
    std::uniform_real_distribution<float> wide(-170 * kDeg, 170 * kDeg);
    std::uniform_real_distribution<float> narrow(-80 * kDeg, 80 * kDeg);
    for (HxRotationOrder order : kOrders) {
        SCOPED_TRACE(hxRotationOrderName(order).toStdString());
        int first, second, third;
        hxRotationOrderAxes(order, first, second, third);
        for (int n = 0; n < 500; ++n) {
            HxVec3 input;
            input[first] = wide(rng);
            input[second] = narrow(rng);
            input[third] = wide(rng);
            HxVec3 angles;
            HxQuat(order, input).getValue(order, angles);
            ASSERT_TRUE(angles.equals(input, 2e-5f))
                << input.toString().toStdString() << " -> " << angles.toString().toStdString();
        }
        // One axis alone, including a middle axis at the lock and first or
        // last axes close to a half turn.
        for (int axis = 0; axis < 3; ++axis) {
            for (float degrees : {90.0f, -90.0f, 45.0f, 179.0f, -179.5f}) {
                if (axis == second && std::fabs(degrees) > 90.0f)
                    continue;
                HxVec3 input;
                input[axis] = degrees * kDeg;
                HxVec3 angles;
                HxQuat(order, input).getValue(order, angles);
                EXPECT_NEAR(angles[axis] / kDeg, degrees, 1e-4f) << "axis " << axis;
                EXPECT_NEAR(angles.length(), std::fabs(input[axis]), 2e-6f) << "axis " << axis;
            }
        }
    }
}

TEST(HxQuatEuler, GimbalLockStillReproducesTheRotation)
{
    std::mt19937 rng(99);
    const double offsets[] = {0.0, 1e-12, -1e-12, 1e-9, -1e-9, 1e-7, -1e-7, 1e-5, -1e-5};
    for (HxRotationOrder order : kOrders) {
        SCOPED_TRACE(hxRotationOrderName(order).toStdString());
        int first, second, third;
        hxRotationOrderAxes(order, first, second, third);
        const HxVec3 axes[3] = {HxVec3(1, 0, 0), HxVec3(0, 1, 0), HxVec3(0, 0, 1)};
        for (double sign : {1.0, -1.0}) {
            for (double offset : offsets) {
                for (int n = 0; n < 50; ++n) {
                    const HxVec3 outer = randomAngles(rng);
                    // Built in double so the middle angle sits exactly on (or a
                    // hair beside) the lock, closer than a float could place it.
                    const HxQuat q1 = HxQuat::fromAxisAngle(axes[third], outer[third]) *
                                      HxQuat::fromAxisAngle(axes[second], sign * kHalfPi + offset) *
                                      HxQuat::fromAxisAngle(axes[first], outer[first]);
                    HxVec3 angles;
                    q1.getValue(order, angles);
                    ASSERT_TRUE(angles.isFinite());
                    ASSERT_NEAR(angles[second], sign * kHalfPi, 1e-4);
                    ASSERT_TRUE(sameRotation(q1, HxQuat(order, angles), 2e-6f))
                        << "offset " << offset << " " << angles.toString().toStdString();
                }
            }
            // The same through float angles, as rotation controls deliver them.
            for (int n = 0; n < 50; ++n) {
                HxVec3 input = randomAngles(rng);
                input[second] = float(sign * kHalfPi);
                const HxQuat q1(order, input);
                HxVec3 angles;
                q1.getValue(order, angles);
                ASSERT_TRUE(sameRotation(q1, HxQuat(order, angles), 2e-6f));
            }
        }
    }
}

TEST(HxQuatEuler, NonUnitQuaternionsGiveTheAnglesOfTheirRotation)
{
    std::mt19937 rng(5);
    for (HxRotationOrder order : kOrders) {
        SCOPED_TRACE(hxRotationOrderName(order).toStdString());
        int first, second, third;
        hxRotationOrderAxes(order, first, second, third);
        for (int n = 0; n < 100; ++n) {
            const HxQuat unit = randomUnitQuat(rng);
            HxVec3 expected, scaled;
            unit.getValue(order, expected);
            HxQuat(unit.x() * 3, unit.y() * 3, unit.z() * 3, unit.w() * 3).getValue(order, scaled);
            ASSERT_TRUE(scaled.equals(expected, 1e-6f));
        }

        // A locked rotation stored a little too long: the sine of the middle
        // angle comes out beyond 1 unless the conversion normalises or clamps.
        HxVec3 locked;
        locked[second] = float(kHalfPi);
        HxQuat q(order, locked);
        const double grow = 1.0 + 1e-6;
        HxVec3 angles;
        HxQuat(q.x() * grow, q.y() * grow, q.z() * grow, q.w() * grow).getValue(order, angles);
        EXPECT_TRUE(angles.isFinite());
        EXPECT_NEAR(angles[second], kHalfPi, 1e-4);

        HxQuat(0, 0, 0, 0).getValue(order, angles);
        EXPECT_EQ(angles, HxVec3());
    }
}

// --- Rotation matrices ----------------------------------------------------------

TEST(HxQuatMatrix, RowsAreTheRotatedAxes)
{
    HxMatrix4 m;
    HxQuat::fromAxisAngle(HxVec3(0, 0, 1), kHalfPi).getValue(m);
    // A quarter turn about Z takes X to Y and Y to -X.
    EXPECT_TRUE(m.row(0).equals(HxVec3(0, 1, 0), 1e-6f));
    EXPECT_TRUE(m.row(1).equals(HxVec3(-1, 0, 0), 1e-6f));
    EXPECT_TRUE(m.row(2).equals(HxVec3(0, 0, 1), 1e-6f));

    std::mt19937 rng(42);
    for (int n = 0; n < 500; ++n) {
        const HxQuat q = randomUnitQuat(rng);
        // Garbage first, so every element must be written.
        for (auto& row : m.m)
            for (float& element : row)
                element = std::numeric_limits<float>::quiet_NaN();
        q.getValue(m);
        for (int r = 0; r < 3; ++r) {
            HxVec3 axis;
            axis[r] = 1.0f;
            ASSERT_TRUE(m.row(r).equals(q.rotate(axis), 1e-6f));
            ASSERT_NEAR(m.row(r).length(), 1.0f, 1e-6f);
            ASSERT_NEAR(m.row(r).dot(m.row((r + 1) % 3)), 0.0f, 1e-6f);
            ASSERT_EQ(m.m[r][3], 0.0f);
            ASSERT_EQ(m.m[3][r], 0.0f);
        }
        ASSERT_EQ(m.m[3][3], 1.0f);
        ASSERT_NEAR(determinant3(m), 1.0f, 1e-5f);
        const HxVec3 p(0.7f, -2.0f, 1.5f);
        ASSERT_TRUE(m.transformPoint(p).equals(q.rotate(p), 1e-5f));

        // -q is the same rotation and must give the same matrix.
        HxMatrix4 negated;
        HxQuat(-q.x(), -q.y(), -q.z(), -q.w()).getValue(negated);
        ASSERT_TRUE(negated.equals(m, 1e-6f));
    }

    // A quaternion that is not unit length still gives a pure rotation.
    HxQuat(0, 0, 2, 2).getValue(m);
    EXPECT_TRUE(m.row(0).equals(HxVec3(0, 1, 0), 1e-6f));
    EXPECT_NEAR(determinant3(m), 1.0f, 1e-6f);
}

TEST(HxQuatMatrix, QuaternionMatrixRoundTrips)
{
    std::vector<HxQuat> cases = {HxQuat()};
    const HxVec3 axes[] = {HxVec3(1, 0, 0), HxVec3(0, 1, 0),  HxVec3(0, 0, 1),
                           HxVec3(1, 1, 0), HxVec3(0, -1, 1), HxVec3(1, 1, 1)};
    // Half turns and near half turns make w vanish, so the matrix diagonal,
    // not the trace, must carry the conversion; tiny angles stress the trace.
    for (const HxVec3& axis : axes)
        for (double angle : {kPi, kPi - 1e-4, -kPi + 1e-3, 1e-4, 2.0})
            cases.push_back(HxQuat::fromAxisAngle(axis, angle));
    std::mt19937 rng(7);
    for (int n = 0; n < 1000; ++n)
        cases.push_back(randomUnitQuat(rng));

    for (const HxQuat& q : cases) {
        HxMatrix4 m;
        q.getValue(m);
        HxQuat back;
        back.setValue(m);
        ASSERT_TRUE(sameRotation(q, back, 2e-6f)) << q.toString().toStdString();
        ASSERT_NEAR(back.length(), 1.0, 1e-12);

        HxMatrix4 again;
        back.getValue(again);
        ASSERT_TRUE(again.equals(m, 2e-6f));
    }

    // The 16 floats a blend hands over go through value and setValue.
    const HxQuat q = HxQuat::fromAxisAngle(HxVec3(0.2f, 0.9f, -0.4f), 2.5);
    HxMatrix4 m;
    q.getValue(m);
    float elements[16];
    m.value(elements);
    HxMatrix4 rebuilt;
    rebuilt.setValue(elements);
    HxQuat back;
    back.setValue(rebuilt);
    EXPECT_TRUE(sameRotation(q, back, 1e-6f));
}

TEST(HxQuatMatrix, ImperfectOrBrokenMatricesGiveValidRotations)
{
    const HxQuat q = HxQuat::fromAxisAngle(HxVec3(1, 2, 3), 1.2);
    HxMatrix4 m;
    q.getValue(m);
    // Slightly off, as a blend of rotation matrices leaves it.
    m.setRow(0, m.row(0) * 1.001f);
    m.m[1][2] += 0.0005f;
    HxQuat fromBlend;
    fromBlend.setValue(m);
    EXPECT_NEAR(fromBlend.length(), 1.0, 1e-12);
    EXPECT_TRUE(sameRotation(q, fromBlend, 2e-3f));

    HxMatrix4 zero{};
    HxQuat fromZero(0.1, 0.2, 0.3, 0.4);
    fromZero.setValue(zero);
    EXPECT_TRUE(fromZero.isFinite());
    EXPECT_NEAR(fromZero.length(), 1.0, 1e-12);

    HxMatrix4 broken = HxMatrix4::identity();
    broken.m[1][2] = std::numeric_limits<float>::quiet_NaN();
    HxQuat fromBroken;
    fromBroken.setValue(broken);
    EXPECT_EQ(fromBroken, HxQuat());
}

// --- Quaternion algebra ---------------------------------------------------------

TEST(HxQuatAlgebra, CompositionAppliesTheRightFactorFirst)
{
    std::mt19937 rng(11);
    for (int n = 0; n < 300; ++n) {
        const HxQuat a = randomUnitQuat(rng);
        const HxQuat b = randomUnitQuat(rng);
        for (const HxVec3& probe : kProbes) {
            ASSERT_TRUE((a * b).rotate(probe).equals(a.rotate(b.rotate(probe)), 1e-5f));
            ASSERT_TRUE(a.conjugate().rotate(a.rotate(probe)).equals(probe, 1e-5f));
        }
        ASSERT_TRUE((a * a.conjugate()).equals(HxQuat(), 1e-12f));

        // The matrix product follows the same order: v * A * B applies A first.
        HxMatrix4 ma, mb, mab;
        a.getValue(ma);
        b.getValue(mb);
        (b * a).getValue(mab);
        ASSERT_TRUE((ma * mb).equals(mab, 1e-5f));
    }
}

TEST(HxQuatAlgebra, StorageNormalisationAndComparison)
{
    const HxQuat identity;
    EXPECT_EQ(identity, HxQuat(0, 0, 0, 1));

    // Stored records must come back bit for bit, even when not unit length.
    HxQuat stored;
    stored.setValue(0.1, -2.0, 3.5, 0.25, true);
    EXPECT_EQ(stored.x(), 0.1);
    EXPECT_EQ(stored[1], -2.0);
    EXPECT_EQ(stored.z(), 3.5);
    EXPECT_EQ(stored.w(), 0.25);
    stored.setValue(1, 2, 3, 4, false);
    EXPECT_EQ(stored, HxQuat(1, 2, 3, 4));

    HxQuat q(0, 3, 0, 4);
    q.normalize();
    EXPECT_TRUE(q.equals(HxQuat(0, 0.6, 0, 0.8), 1e-12f));

    for (HxQuat degenerate : {HxQuat(0, 0, 0, 0), HxQuat(std::nan(""), 0, 0, 1), HxQuat(INFINITY, 0, 0, 0)}) {
        degenerate.normalize();
        EXPECT_EQ(degenerate, HxQuat());
    }
    EXPECT_TRUE(HxQuat(0, 0, 0, 0).rotate(HxVec3(1, 2, 3)).equals(HxVec3(1, 2, 3), 0.0f));

    // equals compares components: -q is another quaternion, and the
    // tolerance bound is inclusive.
    const HxQuat p = HxQuat::fromAxisAngle(HxVec3(0, 1, 0), 0.5);
    EXPECT_FALSE(p.equals(HxQuat(-p.x(), -p.y(), -p.z(), -p.w()), 1e-5f));
    EXPECT_TRUE(HxQuat(0, 0, 0, 1).equals(HxQuat(0, 0, 0.5, 1), 0.5f));
    EXPECT_FALSE(HxQuat(0, 0, 0, 1).equals(HxQuat(0, 0, 0.5001, 1), 0.5f));
    EXPECT_FALSE(HxQuat(std::nan(""), 0, 0, 1).equals(HxQuat(std::nan(""), 0, 0, 1), 1.0f));
    EXPECT_FALSE(HxQuat(std::nan(""), 0, 0, 1).isFinite());
}
