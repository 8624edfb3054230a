#include "hxcore/hxvec3.h"

#include <QDebug>

#include <cmath>

bool HxVec3::equals(const HxVec3& other, float tolerance) const
{
    return std::fabs(x - other.x) <= tolerance && std::fabs(y - other.y) <= tolerance &&
           std::fabs(z - other.z) <= tolerance;
}

float HxVec3::dot(const HxVec3& other) const
{
    return x * other.x + y * other.y + z * other.z;
}

HxVec3 HxVec3::cross(const HxVec3& other) const
{
    return {y * other.z - z * other.y, z * other.x - x * other.z, x * other.y - y * other.x};
}

float HxVec3::length() const
{
    // Summing the squares in double keeps vectors near the float limits (or
    // tiny ones) from overflowing or underflowing to a wrong length.
    const double sum = double(x) * x + double(y) * y + double(z) * z;
    return float(std::sqrt(sum));
}

float HxVec3::normalize()
{
    const double len = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    if (len > 0.0 && std::isfinite(len)) {
        x = float(x / len);
        y = float(y / len);
        z = float(z / len);
    }
    return float(len);
}

HxVec3 HxVec3::normalized() const
{
    HxVec3 copy = *this;
    copy.normalize();
    return copy;
}

bool HxVec3::isFinite() const
{
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
}

QString HxVec3::toString() const
{
    return QStringLiteral("HxVec3(%1, %2, %3)").arg(x).arg(y).arg(z);
}

HxVec3& HxVec3::operator+=(const HxVec3& other)
{
    x += other.x;
    y += other.y;
    z += other.z;
    return *this;
}

HxVec3& HxVec3::operator-=(const HxVec3& other)
{
    x -= other.x;
    y -= other.y;
    z -= other.z;
    return *this;
}

HxVec3& HxVec3::operator*=(float factor)
{
    x *= factor;
    y *= factor;
    z *= factor;
    return *this;
}

QDebug operator<<(QDebug debug, const HxVec3& v)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "HxVec3(" << v.x << ", " << v.y << ", " << v.z << ')';
    return debug;
}
