#pragma once

#include "hxcore/hxglobal.h"
#include "hxcore/hxrotationorder.h"
#include "hxcore/hxvec3.h"

#include <QMetaType>
#include <QObject>
#include <QString>

class HxMatrix4;
class QDebug;

// A rotation as a quaternion of four doubles stored in the order x, y, z, w
// (w is the scalar part). Rotations are right-handed: a positive angle about
// X turns Y towards Z. q and -q describe the same rotation.
class HXCORE_EXPORT HxQuat
{
    Q_GADGET
    Q_PROPERTY(double x READ x WRITE setX)
    Q_PROPERTY(double y READ y WRITE setY)
    Q_PROPERTY(double z READ z WRITE setZ)
    Q_PROPERTY(double w READ w WRITE setW)

public:
    HxQuat() = default;
    HxQuat(double xValue, double yValue, double zValue, double wValue) : q{xValue, yValue, zValue, wValue} {}
    HxQuat(HxRotationOrder order, const HxVec3& eulerRadians) { setValue(order, eulerRadians); }

    // Right-handed rotation by the angle about the axis (need not be unit
    // length; a zero axis gives the identity).
    static HxQuat fromAxisAngle(const HxVec3& axis, double radians);

    double x() const { return q[0]; }
    double y() const { return q[1]; }
    double z() const { return q[2]; }
    double w() const { return q[3]; }
    void setX(double value) { q[0] = value; }
    void setY(double value) { q[1] = value; }
    void setZ(double value) { q[2] = value; }
    void setW(double value) { q[3] = value; }
    // 0 x, 1 y, 2 z, 3 w.
    double operator[](int index) const { return q[index]; }
    double& operator[](int index) { return q[index]; }

    void makeIdentity();

    // Stores the four components exactly as given, without normalising, so
    // stored records round-trip bit for bit. The flag is accepted for callers
    // that pass one and has no effect.
    void setValue(double xValue, double yValue, double zValue, double wValue, bool keepAsIs = true);

    // Euler angles in radians: x, y and z are the angles about the X, Y and Z
    // axes, applied in the given order (see HxRotationOrder).
    void setValue(HxRotationOrder order, const HxVec3& eulerRadians);
    // Angles that reproduce this rotation in the given order. The first and
    // last applied angles lie in [-pi, pi], the middle one in [-pi/2, pi/2].
    // When the middle angle is +-90 degrees only the sum or difference of the
    // other two matters; the last applied angle is then returned as 0. A
    // non-unit quaternion gives the angles of its normalised rotation.
    void getValue(HxRotationOrder order, HxVec3& eulerRadians) const;

    // The rotation matrix (see HxMatrix4: row i is the rotated i-th axis,
    // translation zero, column 3 = (0, 0, 0, 1)). A non-unit quaternion gives
    // the matrix of its normalised rotation; a zero one the identity.
    void getValue(HxMatrix4& matrix) const;
    // From the upper 3 x 3 of a rotation matrix; the result is normalised. A
    // matrix with non-finite or degenerate elements gives the identity.
    void setValue(const HxMatrix4& matrix);

    // Scales to unit length; a zero or non-finite quaternion becomes the
    // identity so the result is always a valid rotation.
    Q_INVOKABLE void normalize();
    Q_INVOKABLE HxQuat normalized() const;
    Q_INVOKABLE double length() const;
    // Component-wise comparison; q and -q are not equal here.
    Q_INVOKABLE bool equals(const HxQuat& other, float tolerance) const;
    Q_INVOKABLE HxQuat conjugate() const;
    // The vector turned by this rotation (normalised first when needed).
    Q_INVOKABLE HxVec3 rotate(const HxVec3& v) const;
    Q_INVOKABLE bool isFinite() const;
    Q_INVOKABLE QString toString() const;

    // (a * b) rotates by b first, then by a.
    HxQuat operator*(const HxQuat& other) const;
    bool operator==(const HxQuat& other) const;
    bool operator!=(const HxQuat& other) const { return !(*this == other); }

    // Column-vector rotation matrix (r[row][col], v' = r * v) of the
    // normalised quaternion; identity for a zero or non-finite one.
    void rotationColumns(double r[3][3]) const;

    // Below this cosine of the middle Euler angle the first and last axes
    // count as aligned (gimbal lock) in getValue.
    static constexpr double GimbalLockCosine = 1e-6;

private:
    double q[4] = {0.0, 0.0, 0.0, 1.0};
};

HXCORE_EXPORT QDebug operator<<(QDebug debug, const HxQuat& quat);

Q_DECLARE_METATYPE(HxQuat)
