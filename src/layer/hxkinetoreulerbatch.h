#pragma once

#include "hxcore/hxrotationorder.h"

#include <vector>

class HxQuat;

// Euler angles in degrees for a tick's worth of rotations at once. The
// formulas are HxQuat::getValue's; the difference is that the arc tangents
// of every rotation are taken together, side by side in vector registers,
// rather than one library call at a time, which at a hundred bones was the
// largest single cost of a blend tick. The results agree with getValue to
// the last bit of the float angles but for the rarest of roundings.
class HxKinetorEulerBatch
{
public:
    // Queues a rotation; its three angles (x, y, z, degrees) are written to
    // degrees by run(), which must come while that storage is alive.
    void add(const HxQuat& rotation, HxRotationOrder order, float* degrees);
    // Computes every queued rotation, then forgets them all.
    void run();

    // atan2(y, x) to within two units in the last place of a double, for
    // finite arguments; signed zeros as the library's atan2 treats them.
    static void atan2(const double* y, const double* x, double* angles, int count);

private:
    // One queued rotation: where its angles go and which axes they belong to.
    struct Pending
    {
        float* degrees;
        int first, second, third;
    };
    std::vector<Pending> m_pending;
    // The arguments of three arc tangents per pending rotation, in the order
    // first angle, middle angle, last angle; then the angles.
    std::vector<double> m_y, m_x, m_angles;
};
