#pragma once

#include "hxcore/hxglobal.h"

#include <QMetaType>
#include <QObject>
#include <QString>

class QDebug;

// A point or direction of three floats. A plain value type: scripts receive it
// as a gadget and read or write x, y and z directly.
class HXCORE_EXPORT HxVec3
{
    Q_GADGET
    Q_PROPERTY(float x MEMBER x)
    Q_PROPERTY(float y MEMBER y)
    Q_PROPERTY(float z MEMBER z)

public:
    HxVec3() = default;
    HxVec3(float xValue, float yValue, float zValue) : x(xValue), y(yValue), z(zValue) {}

    // 0 is x, 1 is y, anything else is z.
    float& operator[](int index) { return index == 0 ? x : (index == 1 ? y : z); }
    float operator[](int index) const { return index == 0 ? x : (index == 1 ? y : z); }

    // True when every component differs by at most the tolerance; never true
    // when either side holds a NaN.
    Q_INVOKABLE bool equals(const HxVec3& other, float tolerance) const;
    Q_INVOKABLE float dot(const HxVec3& other) const;
    Q_INVOKABLE HxVec3 cross(const HxVec3& other) const;
    Q_INVOKABLE float length() const;
    // Scales to unit length in place and returns the previous length. A zero
    // vector stays zero (and 0 is returned) instead of turning into NaN.
    Q_INVOKABLE float normalize();
    Q_INVOKABLE HxVec3 normalized() const;
    Q_INVOKABLE bool isFinite() const;
    Q_INVOKABLE QString toString() const;

    HxVec3 operator+(const HxVec3& other) const { return {x + other.x, y + other.y, z + other.z}; }
    HxVec3 operator-(const HxVec3& other) const { return {x - other.x, y - other.y, z - other.z}; }
    HxVec3 operator*(float factor) const { return {x * factor, y * factor, z * factor}; }
    HxVec3 operator-() const { return {-x, -y, -z}; }
    HxVec3& operator+=(const HxVec3& other);
    HxVec3& operator-=(const HxVec3& other);
    HxVec3& operator*=(float factor);
    bool operator==(const HxVec3& other) const { return x == other.x && y == other.y && z == other.z; }
    bool operator!=(const HxVec3& other) const { return !(*this == other); }

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline HxVec3 operator*(float factor, const HxVec3& v)
{
    return v * factor;
}

HXCORE_EXPORT QDebug operator<<(QDebug debug, const HxVec3& v);

Q_DECLARE_METATYPE(HxVec3)
