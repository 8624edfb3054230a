#include "hxcore/hxguid.h"
#include "hxcore/hxmatrix4.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxrotationorder.h"
#include "hxcore/hxtimerange.h"
#include "hxcore/hxvec3.h"

#include <QSet>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

TEST(HxVec3, NormalizeKeepsZeroSurvivesExtremesAndComparesWithTolerance)
{
    HxVec3 zero;
    EXPECT_EQ(zero.normalize(), 0.0f);
    EXPECT_EQ(zero, HxVec3());
    EXPECT_EQ(HxVec3().normalized(), HxVec3());
    HxVec3 v(3, 0, -4);
    EXPECT_FLOAT_EQ(v.normalize(), 5.0f);
    EXPECT_TRUE(v.equals(HxVec3(0.6f, 0.0f, -0.8f), 1e-7f));
    // Squares of these overflow or underflow a float.
    for (float scale : {1e30f, 1e-30f, std::numeric_limits<float>::denorm_min()}) {
        HxVec3 w(scale, scale, 0);
        EXPECT_GT(w.normalize(), 0.0f) << scale;
        EXPECT_NEAR(w.length(), 1.0f, 1e-6f) << scale;
    }
    const HxVec3 a(1.5f, -2, 3), b(-4, 0.5f, 2);
    EXPECT_EQ(HxVec3(1, 0, 0).cross(HxVec3(0, 1, 0)), HxVec3(0, 0, 1));
    EXPECT_EQ(a.cross(b), -b.cross(a));
    EXPECT_FLOAT_EQ(a.dot(b), -1.0f);
    // The tolerance is inclusive; NaN never compares equal.
    EXPECT_TRUE(HxVec3(1, 2, 3).equals(HxVec3(1.5f, 2, 2.5f), 0.5f));
    EXPECT_FALSE(HxVec3(1, 2, 3).equals(HxVec3(1, 2, 3.51f), 0.5f));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(HxVec3(nan, 0, 0).equals(HxVec3(nan, 0, 0), 1.0f));
    EXPECT_FALSE(HxVec3(0, 0, std::numeric_limits<float>::infinity()).isFinite());
}

TEST(HxMatrix, RowVectorsWithTheTranslationLast)
{
    // Rows are axis images, row 3 the translation, and the left factor applies first.
    HxMatrix4 quarterZ = HxMatrix4::identity();
    quarterZ.setRow(0, HxVec3(0, 1, 0));
    quarterZ.setRow(1, HxVec3(-1, 0, 0));
    const HxMatrix4 shift = HxMatrix4::translation(HxVec3(10, 0, 0));
    EXPECT_EQ((quarterZ * shift).transformPoint(HxVec3(1, 0, 0)), HxVec3(10, 1, 0));
    EXPECT_EQ((shift * quarterZ).transformPoint(HxVec3(1, 0, 0)), HxVec3(0, 11, 0));
    EXPECT_EQ((shift * quarterZ).transformVector(HxVec3(1, 0, 0)), HxVec3(0, 1, 0));
    EXPECT_EQ(quarterZ.transposed().row(0), HxVec3(0, -1, 0));
}

TEST(HxTimeRange, IncludeWidensAndContainsIsInclusive)
{
    HxTimeRange range(160, 480);
    EXPECT_TRUE(range.contains(160) && range.contains(480) && !range.contains(159) && !range.contains(481));
    for (HxTime t : {320, -4800, 9600})
        range.include(t);
    EXPECT_EQ(range, HxTimeRange(-4800, 9600));
    HxTimeRange inverted(500, 100); // holds nothing; including a time makes it just that time
    EXPECT_TRUE(inverted.isEmpty() && !inverted.contains(300));
    inverted.include(700);
    EXPECT_EQ(inverted, HxTimeRange(700, 700));
}

TEST(HxGUID, ParsePrintCompareAndLegacyIds)
{
    const QString stored = QStringLiteral("89F86E80-ADA4-433a-97E4-0C349C8D3E34");
    const HxGUID plain = HxGUID::fromString(" {" + stored + "}\n");
    EXPECT_EQ(plain.toString(), stored) << "printed as written";
    EXPECT_EQ(plain, HxGUID::fromString(stored.toLower())) << "compared whatever the case";
    EXPECT_EQ(HxGUID(plain.toUuid()).toString(), stored.toUpper());
    for (const char* bad :
         {"", "{}", "89F86E80-ADA4-433a-97E4-0C349C8D3E3", "89F86E80-ADA4-433a-97E4-0C349C8D3EG4"})
        EXPECT_TRUE(HxGUID::fromString(QString::fromLatin1(bad)).isNull()) << bad;
    // Ordering follows the printed fields, not the bytes in memory.
    EXPECT_TRUE(HxGUID::fromString("00000001-FFFF-0000-0000-000000000000") <
                HxGUID::fromString("10000000-0000-0000-0000-000000000000"));

    // Legacy ids survive a trip through text and never clash with parsed identifiers.
    QSet<HxGUID> seen;
    for (quint32 id : {0u, 1u, 0x10000014u, 0xFFFFFFFFu}) {
        const HxGUID guid = HxGUID::fromLegacyClassID(id);
        EXPECT_TRUE(guid.isLegacy() && !guid.isNull());
        EXPECT_EQ(HxGUID::fromString(guid.toString()).legacyClassID(), id);
        seen.insert(guid);
    }
    EXPECT_EQ(seen.size(), 4);
    EXPECT_FALSE(HxGUID::fromString(QStringLiteral("10000014-ADA4-433A-97E4-0C349C8D3E34")).isLegacy());
}

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHalfPi = kPi / 2.0;
constexpr float kDeg = float(kPi / 180.0);
const HxRotationOrder kOrders[] = {HxRotationOrder::XYZ, HxRotationOrder::XZY, HxRotationOrder::YXZ,
                                   HxRotationOrder::YZX, HxRotationOrder::ZXY, HxRotationOrder::ZYX};
const HxVec3 kAxes[3] = {HxVec3(1, 0, 0), HxVec3(0, 1, 0), HxVec3(0, 0, 1)};
const HxVec3 kProbe(0.3f, -0.5f, 0.8f);

// Right-handed turns about each axis in the order the name spells, worked out without HxQuat.
HxVec3 reference(HxRotationOrder order, const HxVec3& angles, const HxVec3& v)
{
    double p[3] = {v.x, v.y, v.z};
    for (QChar letter : hxRotationOrderName(order)) {
        const int a = letter.unicode() - 'X', b = (a + 1) % 3, c = (a + 2) % 3;
        const double cs = std::cos(angles[a]), sn = std::sin(angles[a]), pb = p[b];
        p[b] = cs * pb - sn * p[c];
        p[c] = sn * pb + cs * p[c];
    }
    return {float(p[0]), float(p[1]), float(p[2])};
}

HxQuat negated(const HxQuat& q)
{
    return {-q.x(), -q.y(), -q.z(), -q.w()};
}

// Quaternions are the same rotation when they agree up to sign.
bool sameRotation(const HxQuat& a, const HxQuat& b, float tolerance)
{
    return a.equals(b, tolerance) || a.equals(negated(b), tolerance);
}

HxQuat randomUnitQuat(std::mt19937& rng)
{
    std::normal_distribution<double> normal;
    return HxQuat(normal(rng), normal(rng), normal(rng), normal(rng)).normalized();
}

} // namespace

TEST(HxQuat, EulerAnglesFollowTheNamedOrderAndRoundTrip)
{
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<float> angle(float(-kPi), float(kPi));
    for (HxRotationOrder order : kOrders) {
        SCOPED_TRACE(hxRotationOrderName(order).toStdString());
        int first, second, third;
        hxRotationOrderAxes(order, first, second, third);
        for (int n = 0; n < 2000; ++n) {
            const HxVec3 input(angle(rng), angle(rng), angle(rng));
            const HxQuat q(order, input);
            ASSERT_TRUE(q.rotate(kProbe).equals(reference(order, input, kProbe), 2e-6f));
            HxVec3 angles;
            q.getValue(order, angles);
            ASSERT_TRUE(sameRotation(q, HxQuat(order, angles), 2e-6f)) << input.toString().toStdString();
            ASSERT_LE(std::fabs(angles[second]), float(kHalfPi) + 1e-6f);
            // Inside the canonical range a captured pose gives the controls back, not an equivalent.
            const bool canonical = std::fabs(input[second]) < 80 * kDeg &&
                                   std::fabs(input[first]) < 170 * kDeg &&
                                   std::fabs(input[third]) < 170 * kDeg;
            ASSERT_TRUE(!canonical || angles.equals(input, 2e-5f)) << input.toString().toStdString();
            // Any rotation, not only ones built from angles.
            const HxQuat r = randomUnitQuat(rng);
            r.getValue(order, angles);
            ASSERT_TRUE(sameRotation(r, HxQuat(order, angles), 2e-6f));
        }
        HxVec3 angles(1, 1, 1);
        HxQuat(0, 0, 0, 0).getValue(order, angles);
        EXPECT_EQ(angles, HxVec3());
    }
}

TEST(HxQuat, GimbalLockStillReproducesTheRotation)
{
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> angle(float(-kPi), float(kPi));
    for (HxRotationOrder order : kOrders) {
        SCOPED_TRACE(hxRotationOrderName(order).toStdString());
        int first, second, third;
        hxRotationOrderAxes(order, first, second, third);
        for (double sign : {1.0, -1.0})
            for (double offset : {0.0, 1e-12, -1e-9, 1e-7, -1e-5})
                for (int n = 0; n < 50; ++n) {
                    // Built in double so the middle angle sits on (or a hair beside) the lock.
                    const HxQuat q = HxQuat::fromAxisAngle(kAxes[third], angle(rng)) *
                                     HxQuat::fromAxisAngle(kAxes[second], sign * kHalfPi + offset) *
                                     HxQuat::fromAxisAngle(kAxes[first], angle(rng));
                    HxVec3 input(angle(rng), angle(rng), angle(rng));
                    input[second] = float(sign * kHalfPi);
                    const HxQuat p(order, input);
                    // Stored a little too long, the middle sine exceeds 1 unless the conversion normalises.
                    const double grow = 1.0 + 1e-6;
                    for (const HxQuat& r :
                         {q, p, HxQuat(p.x() * grow, p.y() * grow, p.z() * grow, p.w() * grow)}) {
                        HxVec3 angles;
                        r.getValue(order, angles);
                        ASSERT_NEAR(angles[second], sign * kHalfPi, 1e-4);
                        ASSERT_TRUE(sameRotation(r.normalized(), HxQuat(order, angles), 2e-6f)) << offset;
                    }
                }
    }
}

TEST(HxQuat, MatrixRoundTripsMinusQAndComposition)
{
    std::vector<HxQuat> cases = {HxQuat()};
    // Half turns make w vanish, so the diagonal rather than the trace must carry the conversion.
    for (const HxVec3& axis :
         {kAxes[0], kAxes[1], kAxes[2], HxVec3(1, 1, 0), HxVec3(0, -1, 1), HxVec3(1, 1, 1)})
        for (double angle : {kPi, kPi - 1e-4, -kPi + 1e-3, 1e-4, 2.0})
            cases.push_back(HxQuat::fromAxisAngle(axis, angle));
    std::mt19937 rng(7);
    for (int n = 0; n < 1000; ++n)
        cases.push_back(randomUnitQuat(rng));

    HxQuat previous = HxQuat::fromAxisAngle(HxVec3(1, 2, 3), 1.2);
    for (const HxQuat& q : cases) {
        HxMatrix4 m;
        for (auto& row : m.m) // garbage first, so every element must be written
            for (float& element : row)
                element = std::numeric_limits<float>::quiet_NaN();
        q.getValue(m);
        for (int r = 0; r < 3; ++r) {
            ASSERT_TRUE(m.row(r).equals(q.rotate(kAxes[r]), 1e-6f)); // rows are the rotated axes
            ASSERT_EQ(m.m[r][3], 0.0f);
            ASSERT_EQ(m.m[3][r], 0.0f);
        }
        ASSERT_EQ(m.m[3][3], 1.0f);
        HxMatrix4 minus;
        negated(q).getValue(minus);
        ASSERT_TRUE(minus.equals(m, 1e-6f));

        HxQuat back;
        back.setValue(m);
        ASSERT_TRUE(sameRotation(q, back, 2e-6f)) << q.toString().toStdString();
        ASSERT_NEAR(back.length(), 1.0, 1e-12);

        // (q * p) turns by p first, and so does the row-vector matrix product P * Q.
        ASSERT_TRUE((q * previous).rotate(kProbe).equals(q.rotate(previous.rotate(kProbe)), 1e-5f));
        HxMatrix4 mp, mqp;
        previous.getValue(mp);
        (q * previous).getValue(mqp);
        ASSERT_TRUE((mp * m).equals(mqp, 1e-5f));
        previous = q;
    }
}

TEST(HxQuat, ImperfectOrBrokenInputGivesValidRotations)
{
    HxMatrix4 m;
    HxQuat(0, 0, 2, 2).getValue(m); // not unit length, still a pure quarter turn about Z
    EXPECT_TRUE(m.row(0).equals(HxVec3(0, 1, 0), 1e-6f) && m.row(1).equals(HxVec3(-1, 0, 0), 1e-6f));
    HxMatrix4 broken = HxMatrix4::identity();
    broken.m[1][2] = std::numeric_limits<float>::quiet_NaN();
    for (const HxMatrix4& bad : {HxMatrix4{}, broken}) {
        HxQuat q(0.1, 0.2, 0.3, 0.4);
        q.setValue(bad);
        EXPECT_TRUE(q.isFinite());
        EXPECT_NEAR(q.length(), 1.0, 1e-12);
    }
    for (HxQuat degenerate : {HxQuat(0, 0, 0, 0), HxQuat(std::nan(""), 0, 0, 1), HxQuat(INFINITY, 0, 0, 0)}) {
        degenerate.normalize();
        EXPECT_EQ(degenerate, HxQuat());
    }
}
