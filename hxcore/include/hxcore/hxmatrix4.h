#pragma once

#include "hxcore/hxglobal.h"
#include "hxcore/hxvec3.h"

#include <QMetaType>

class QDebug;

// A 4 x 4 float matrix, row-major, for row vectors: v' = v * M. For a rigid
// transform rows 0, 1 and 2 hold the images of the X, Y and Z unit axes and
// row 3 holds the translation; column 3 is (0, 0, 0, 1).
class HXCORE_EXPORT HxMatrix4
{
public:
    // Leaves the elements uninitialised: matrices are filled right after
    // construction in per-tick loops. Value-initialise (HxMatrix4{}) for zeros.
    HxMatrix4() = default;

    static HxMatrix4 identity();
    static HxMatrix4 translation(const HxVec3& offset);

    void makeIdentity();

    // The 16 elements row by row (m[0][0], m[0][1], ..., m[3][3]).
    void value(float out[16]) const;
    void setValue(const float in[16]);

    // Sets the first three elements of a row and leaves the fourth alone.
    void setRow(int row, const HxVec3& v);
    HxVec3 row(int row) const;

    HxVec3 translationPart() const { return row(3); }
    void setTranslation(const HxVec3& offset) { setRow(3, offset); }

    float& operator()(int r, int c) { return m[r][c]; }
    float operator()(int r, int c) const { return m[r][c]; }

    // With row vectors the left factor applies first: v * (A * B) = (v * A) * B.
    HxMatrix4 operator*(const HxMatrix4& other) const;
    bool operator==(const HxMatrix4& other) const;
    bool operator!=(const HxMatrix4& other) const { return !(*this == other); }

    // Point: rotated, scaled and translated. Vector: the translation is ignored.
    // Both treat the matrix as affine and never read column 3, which setRow
    // leaves untouched and may therefore be uninitialised.
    HxVec3 transformPoint(const HxVec3& p) const;
    HxVec3 transformVector(const HxVec3& v) const;

    HxMatrix4 transposed() const;
    bool equals(const HxMatrix4& other, float tolerance) const;
    bool isFinite() const;

    float m[4][4];
};

HXCORE_EXPORT QDebug operator<<(QDebug debug, const HxMatrix4& matrix);

Q_DECLARE_METATYPE(HxMatrix4)
