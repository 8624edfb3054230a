#pragma once

#include "hxcore/hxrotationorder.h"

// Euler angles in degrees for a tick's worth of blended rotation matrices at
// once. Each is made orthonormal as hxOrthonormalizeRotation does, then taken
// through a unit quaternion as HxQuat::setValue(matrix), a further
// normalize() and getValue(order) take it. The difference is that every step
// is done for eight rotations side by side in vector registers (the arc
// tangents included), and for up to eight such blocks before the next step,
// instead of one rotation and one library call at a time, which at a
// hundred bones was most of a blend tick. The quaternion steps
// give getValue's doubles bit for bit; the angles agree with it to the last
// bit of the floats but for the rarest of roundings.
class HxKinetorEulerBatch
{
public:
    // Rotations stored in place, all of one order: the upper 3 x 3 of a
    // row-vector matrix as nine row-major floats at values + offsets[n]. Their
    // angles (x, y, z, degrees) replace the first three of those floats.
    // A rotation with a float that is not finite gets meaningless angles,
    // cheaply: it is not orthonormalized.
    static void convertInPlace(float* values, const int* offsets, int count, HxRotationOrder order);

    // atan2(y, x) to within two units in the last place of a double, for
    // finite arguments; signed zeros as the library's atan2 treats them.
    static void atan2(const double* y, const double* x, double* angles, int count);
};
