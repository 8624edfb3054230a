#pragma once

#include "hxcore/hxglobal.h"
#include "hxcore/hxvec3.h"

#include <QMetaType>

// A 3 x 3 float matrix, row-major, for row vectors (v' = v * M), used for the
// scale part of a local transform.
class HXCORE_EXPORT HxMatrix3
{
public:
    // All zeros.
    HxMatrix3();
    // true: the identity; false: all zeros.
    explicit HxMatrix3(bool identity);

    static HxMatrix3 scale(const HxVec3& factors);

    bool isIdentity() const;
    HxVec3 row(int row) const;
    void setRow(int row, const HxVec3& v);
    HxVec3 transform(const HxVec3& v) const;

    float& operator()(int r, int c) { return m[r][c]; }
    float operator()(int r, int c) const { return m[r][c]; }
    HxMatrix3 operator*(const HxMatrix3& other) const;
    bool operator==(const HxMatrix3& other) const;
    bool operator!=(const HxMatrix3& other) const { return !(*this == other); }

    float m[3][3];
};

Q_DECLARE_METATYPE(HxMatrix3)
