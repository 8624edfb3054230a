#include "layer/hxkinetoreulerbatch.h"

#include "layer/hxkinetorblend.h"

#include "hxcore/hxquat.h"
#include "hxcore/hxvec3.h"

#include <algorithm>
#include <array>
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
    // The series in u2 summed as pairs of terms, then pairs of pairs: four
    // short chains of products instead of one long one, and the error stays
    // far below the last bit of the result, as the series is scaled by u2 u.
    const double u4 = u2 * u2;
    const double u8 = u4 * u4;
    const double terms01 = -1.0 / 3.0 + u2 * (1.0 / 5.0);
    const double terms23 = -1.0 / 7.0 + u2 * (1.0 / 9.0);
    const double terms45 = -1.0 / 11.0 + u2 * (1.0 / 13.0);
    const double terms67 = -1.0 / 15.0 + u2 * (1.0 / 17.0);
    const double series = (terms01 + u4 * terms23) + u8 * (terms45 + u4 * terms67);
    return base + (u + u * (series * u2));
}

HX_LANE_CLONES void atan2Lanes(const double* __restrict y, const double* __restrict x,
                               double* __restrict angles, int count)
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

// Rotations side by side, a lane each, as many as one pass takes.
constexpr int kLanes = HxRotationRowLanes::Lanes;
struct RotationLanes
{
    // The column-vector rotation, r[a][b] = matrix.m[b][a], in double.
    double r[3][3][kLanes];
    // Its unit quaternion, x, y, z, w.
    double q[4][kLanes];
    // The rotation columns of that quaternion.
    double columns[3][3][kLanes];
    // The arguments of the first, middle and last angle's arc tangents,
    // the cosine of the middle angle, and the angles in radians.
    double y[3][kLanes], x[3][kLanes], cosMiddle[kLanes], angles[3][kLanes];
};

// The steps below are HxQuat::setValue(matrix), normalize() and
// rotationColumns() for every lane, with the same operations in the same
// order, so each lane's doubles are what the one-at-a-time calls give.
// Where those calls branch, every lane computes every case and keeps its
// own, by plain choices one after another; a step per loop, as the compiler
// gives up on vectorizing a loop with all of them.

// The quaternion of each lane's matrix, by Shepperd's method: the largest
// of |w|, |x|, |y|, |z| from the diagonal, the other three from sums of
// off-diagonal pairs. A matrix it cannot use gives the identity.
HX_LANE_CLONES void quaternionLanes(RotationLanes& lanes)
{
    for (int n = 0; n < kLanes; ++n) {
        const double r00 = lanes.r[0][0][n], r01 = lanes.r[0][1][n], r02 = lanes.r[0][2][n];
        const double r10 = lanes.r[1][0][n], r11 = lanes.r[1][1][n], r12 = lanes.r[1][2][n];
        const double r20 = lanes.r[2][0][n], r21 = lanes.r[2][1][n], r22 = lanes.r[2][2][n];
        const double trace = r00 + r11 + r22;
        // Which of w, x, y, z is largest (the first on a tie): the last of
        // these that holds.
        const bool x0 = r00 > trace;
        const double best1 = x0 ? r00 : trace;
        const bool y1 = r11 > best1;
        const double best2 = y1 ? r11 : best1;
        const bool z2 = r22 > best2;
        double square = 1.0 + trace;
        square = x0 ? 1.0 + r00 - r11 - r22 : square;
        square = y1 ? 1.0 + r11 - r22 - r00 : square;
        square = z2 ? 1.0 + r22 - r00 - r11 : square;
        const double root = std::sqrt(square < 0.0 ? 0.0 : square);
        const double f = root > 0.0 ? 0.5 / root : 0.0;
        const double half = 0.5 * root;
        const double d0 = (r21 - r12) * f, d1 = (r02 - r20) * f, d2 = (r10 - r01) * f;
        const double s01 = (r10 + r01) * f, s02 = (r20 + r02) * f, s12 = (r21 + r12) * f;
        // Each case's x, y, z, w, taken when its test holds.
        double x = d0, y = d1, z = d2, w = half;
        auto take = [&](bool holds, double cx, double cy, double cz, double cw) {
            x = holds ? cx : x;
            y = holds ? cy : y;
            z = holds ? cz : z;
            w = holds ? cw : w;
        };
        take(x0, half, s01, s02, d0);
        take(y1, s01, half, s12, d1);
        take(z2, s02, s12, half, d2);
        // v - v is 0 for a finite v and NaN otherwise: one test for all
        // four and the root, in a form that vectorizes.
        const double residue = (x - x) + (y - y) + (z - z) + (w - w);
        const bool usable = (root > 0.0 ? residue : 1.0) == 0.0;
        lanes.q[0][n] = usable ? x : 0.0;
        lanes.q[1][n] = usable ? y : 0.0;
        lanes.q[2][n] = usable ? z : 0.0;
        lanes.q[3][n] = usable ? w : 1.0;
    }
}

// Each lane's quaternion divided by its length. quaternionLanes only gives
// finite quaternions with a component of at least half the root of a
// positive sum of floats, so the length is always positive and finite, and
// normalize()'s fallback to the identity never applies here.
HX_LANE_CLONES void normalizeLanes(RotationLanes& lanes)
{
    for (int n = 0; n < kLanes; ++n) {
        const double x = lanes.q[0][n], y = lanes.q[1][n], z = lanes.q[2][n], w = lanes.q[3][n];
        const double length = std::sqrt(x * x + y * y + z * z + w * w);
        lanes.q[0][n] = x / length;
        lanes.q[1][n] = y / length;
        lanes.q[2][n] = z / length;
        lanes.q[3][n] = w / length;
    }
}

// The rotation columns of each lane's quaternion, normalised on the fly;
// as the quaternions are of unit length by now, without the identity
// fallback for a zero or infinite one.
HX_LANE_CLONES void columnLanes(RotationLanes& lanes)
{
    for (int n = 0; n < kLanes; ++n) {
        const double x = lanes.q[0][n], y = lanes.q[1][n], z = lanes.q[2][n], w = lanes.q[3][n];
        const double s = 2.0 / (x * x + y * y + z * z + w * w);
        lanes.columns[0][0][n] = 1.0 - s * (y * y + z * z);
        lanes.columns[0][1][n] = s * (x * y - z * w);
        lanes.columns[0][2][n] = s * (x * z + y * w);
        lanes.columns[1][0][n] = s * (x * y + z * w);
        lanes.columns[1][1][n] = 1.0 - s * (x * x + z * z);
        lanes.columns[1][2][n] = s * (y * z - x * w);
        lanes.columns[2][0][n] = s * (x * z - y * w);
        lanes.columns[2][1][n] = s * (y * z + x * w);
        lanes.columns[2][2][n] = 1.0 - s * (x * x + y * y);
    }
}

// HxQuat::getValue's arc tangent arguments from each lane's rotation
// columns, for rotations that all apply their axes in the order i, j, k; s
// is 1 for a cyclic order, -1 otherwise.
HX_LANE_CLONES void argumentLanes(RotationLanes& lanes, int i, int j, int k, double s)
{
    for (int n = 0; n < kLanes; ++n) {
        const double rkj = lanes.columns[k][j][n], rkk = lanes.columns[k][k][n];
        const double cosMiddle = std::sqrt(rkj * rkj + rkk * rkk);
        // std::clamp to [-1, 1], in plain choices.
        double sinMiddle = -s * lanes.columns[k][i][n];
        sinMiddle = sinMiddle < -1.0 ? -1.0 : sinMiddle;
        sinMiddle = 1.0 < sinMiddle ? 1.0 : sinMiddle;
        lanes.cosMiddle[n] = cosMiddle;
        lanes.y[0][n] = s * rkj;
        lanes.x[0][n] = rkk;
        lanes.y[1][n] = sinMiddle;
        lanes.x[1][n] = cosMiddle;
        lanes.y[2][n] = s * lanes.columns[j][i][n];
        lanes.x[2][n] = lanes.columns[i][i][n];
    }
}

// Where up to eight rotations are stored, and their quaternion steps.
struct Block
{
    const int* offsets = nullptr;
    int count = 0;
    RotationLanes lanes;
};

// Lanes past the last rotation take zero rows, which need no
// orthonormalizing, give the identity and are never written. Every lane is
// written here, so the rows need no clearing first.
void gatherBlock(const float* values, const Block& block, HxRotationLaneBlock& rotations)
{
    static constexpr float kZeroRows[9] = {};
    for (int n = 0; n < kLanes; ++n) {
        const float* m = n < block.count ? values + block.offsets[n] : kZeroRows;
        for (int r = 0; r < 3; ++r) {
            rotations.rows[r].x[n] = m[3 * r];
            rotations.rows[r].y[n] = m[3 * r + 1];
            rotations.rows[r].z[n] = m[3 * r + 2];
        }
        rotations.done[n] = n >= block.count;
    }
}

// The orthonormal rows as the quaternion steps read them.
HX_LANE_CLONES void toDoubles(const HxRotationLaneBlock& rotations, RotationLanes& lanes)
{
    for (int b = 0; b < 3; ++b)
        for (int n = 0; n < kLanes; ++n) {
            lanes.r[0][b][n] = rotations.rows[b].x[n];
            lanes.r[1][b][n] = rotations.rows[b].y[n];
            lanes.r[2][b][n] = rotations.rows[b].z[n];
        }
}

// Each rotation's angles in degrees over its first three floats.
void scatterBlock(float* values, const Block& block, HxRotationOrder order, int i, int j, int k)
{
    const RotationLanes& lanes = block.lanes;
    for (int n = 0; n < block.count; ++n) {
        float* degrees = values + block.offsets[n];
        if (!(lanes.cosMiddle[n] > HxQuat::GimbalLockCosine)) {
            // Locked (or not finite): rare, and one library call is fine there.
            HxVec3 euler;
            HxQuat(lanes.q[0][n], lanes.q[1][n], lanes.q[2][n], lanes.q[3][n]).getValue(order, euler);
            for (int axis = 0; axis < 3; ++axis)
                degrees[axis] = toDegrees(euler[axis]);
            continue;
        }
        degrees[i] = toDegrees(float(lanes.angles[0][n]));
        degrees[j] = toDegrees(float(lanes.angles[1][n]));
        degrees[k] = toDegrees(float(lanes.angles[2][n]));
    }
}

} // namespace

void HxKinetorEulerBatch::atan2(const double* y, const double* x, double* angles, int count)
{
    atan2Lanes(y, x, angles, count);
}

void HxKinetorEulerBatch::convertInPlace(float* values, const int* offsets, int count, HxRotationOrder order)
{
    int i, j, k;
    const double s = hxRotationOrderAxes(order, i, j, k) ? 1.0 : -1.0;
    // As in the orthonormalizing, each step is taken for every block before
    // the next step, so that the blocks' independent chains overlap.
    constexpr int kBlocks = 8;
    std::array<Block, kBlocks> blocks;
    std::array<HxRotationLaneBlock, kBlocks> rotations;
    for (int first = 0; first < count; first += kBlocks * kLanes) {
        const int used = std::min(kBlocks, (count - first + kLanes - 1) / kLanes);
        for (int b = 0; b < used; ++b) {
            blocks[b].offsets = offsets + first + b * kLanes;
            blocks[b].count = std::min(kLanes, count - first - b * kLanes);
            gatherBlock(values, blocks[b], rotations[b]);
        }
        // Apart from the gathering: a vector load right after the scalar
        // stores it reads waits for them to reach the cache.
        for (int b = 0; b < used; ++b)
            hxMarkNonFiniteLanes(rotations[b]);
        hxOrthonormalizeLanes(rotations.data(), used);
        for (int b = 0; b < used; ++b)
            toDoubles(rotations[b], blocks[b].lanes);
        for (int b = 0; b < used; ++b)
            quaternionLanes(blocks[b].lanes);
        // Once in setValue, once more by the caller.
        for (int b = 0; b < used; ++b)
            normalizeLanes(blocks[b].lanes);
        for (int b = 0; b < used; ++b)
            normalizeLanes(blocks[b].lanes);
        for (int b = 0; b < used; ++b)
            columnLanes(blocks[b].lanes);
        for (int b = 0; b < used; ++b)
            argumentLanes(blocks[b].lanes, i, j, k, s);
        for (int b = 0; b < used; ++b) {
            RotationLanes& lanes = blocks[b].lanes;
            atan2Lanes(&lanes.y[0][0], &lanes.x[0][0], &lanes.angles[0][0], 3 * kLanes);
        }
        for (int b = 0; b < used; ++b)
            scatterBlock(values, blocks[b], order, i, j, k);
    }
}
