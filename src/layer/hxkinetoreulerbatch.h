#pragma once

#include "hxcore/hxrotationorder.h"

#include <vector>

class HxMatrix4;

// Euler angles in degrees for a tick's worth of orthonormal rotation
// matrices at once, each taken through a unit quaternion as
// HxQuat::setValue(matrix), a further normalize() and getValue(order) take
// it. The difference is that every step is done for all the rotations side
// by side in vector registers (the arc tangents included) instead of one
// rotation and one library call at a time, which at a hundred bones was
// most of a blend tick. The quaternion steps give getValue's doubles bit for
// bit; the angles agree with it to the last bit of the floats but for the
// rarest of roundings.
class HxKinetorEulerBatch
{
public:
    // Queues a rotation (the upper 3 x 3 of a row-vector matrix); its three
    // angles (x, y, z, degrees) are written to degrees by run(), which must
    // come while that storage is alive.
    void add(const HxMatrix4& rotation, HxRotationOrder order, float* degrees);
    // Computes every queued rotation, then forgets them all.
    void run();

    // atan2(y, x) to within two units in the last place of a double, for
    // finite arguments; signed zeros as the library's atan2 treats them.
    static void atan2(const double* y, const double* x, double* angles, int count);

private:
    // One added rotation: where its angles go, in which order, and the
    // column-vector rotation r[a][b] in r[3 a + b].
    struct Pending
    {
        float* degrees;
        HxRotationOrder order;
        float r[9];
    };
    // Up to eight rotations of one order, side by side.
    void runBlock(HxRotationOrder order, const Pending* const* block, std::size_t count);

    std::vector<Pending> m_pending;
    // The pending rotations of the order at hand.
    std::vector<const Pending*> m_block;
};
