#pragma once

#include "hxcore/hxglobal.h"

#include <QString>

// The order in which the three axis rotations are applied: order ABC rotates
// about A first, then about B, then about C. With column vectors XYZ is
// R = Rz * Ry * Rx; as quaternions q = qz * qy * qx.
enum class HxRotationOrder : int
{
    XYZ = 0,
    XZY,
    YXZ,
    YZX,
    ZXY,
    ZYX
};

// Axis indices (0 = X, 1 = Y, 2 = Z) in the order they are applied. Returns
// true when the three form a cyclic (even) permutation of X, Y, Z; the sign of
// several terms of the Euler formulas depends on it. Values outside the enum
// are treated as XYZ so no caller ever indexes out of range.
inline bool hxRotationOrderAxes(HxRotationOrder order, int& first, int& second, int& third)
{
    switch (order) {
    case HxRotationOrder::XZY:
        first = 0, second = 2, third = 1;
        return false;
    case HxRotationOrder::YXZ:
        first = 1, second = 0, third = 2;
        return false;
    case HxRotationOrder::YZX:
        first = 1, second = 2, third = 0;
        return true;
    case HxRotationOrder::ZXY:
        first = 2, second = 0, third = 1;
        return true;
    case HxRotationOrder::ZYX:
        first = 2, second = 1, third = 0;
        return false;
    case HxRotationOrder::XYZ:
    default:
        first = 0, second = 1, third = 2;
        return true;
    }
}

// "XYZ", "XZY", ...; an empty string for a value outside the enum.
inline QString hxRotationOrderName(HxRotationOrder order)
{
    switch (order) {
    case HxRotationOrder::XYZ:
        return QStringLiteral("XYZ");
    case HxRotationOrder::XZY:
        return QStringLiteral("XZY");
    case HxRotationOrder::YXZ:
        return QStringLiteral("YXZ");
    case HxRotationOrder::YZX:
        return QStringLiteral("YZX");
    case HxRotationOrder::ZXY:
        return QStringLiteral("ZXY");
    case HxRotationOrder::ZYX:
        return QStringLiteral("ZYX");
    }
    return QString();
}

// Parses a name written by hxRotationOrderName (case and surrounding blanks
// ignored). On failure returns false and leaves *order untouched; order may be
// null to only validate the name.
inline bool hxRotationOrderFromName(const QString& name, HxRotationOrder* order)
{
    const QString key = name.trimmed().toUpper();
    for (int i = 0; i < 6; ++i) {
        const auto candidate = static_cast<HxRotationOrder>(i);
        if (key == hxRotationOrderName(candidate)) {
            if (order)
                *order = candidate;
            return true;
        }
    }
    return false;
}
