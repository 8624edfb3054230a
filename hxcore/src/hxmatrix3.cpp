#include "hxcore/hxmatrix3.h"

HxMatrix3::HxMatrix3() : HxMatrix3(false) {}

HxMatrix3::HxMatrix3(bool identity)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m[r][c] = identity && r == c ? 1.0f : 0.0f;
}

HxMatrix3 HxMatrix3::scale(const HxVec3& factors)
{
    HxMatrix3 result;
    for (int i = 0; i < 3; ++i)
        result.m[i][i] = factors[i];
    return result;
}

bool HxMatrix3::isIdentity() const
{
    return *this == HxMatrix3(true);
}

HxVec3 HxMatrix3::row(int row) const
{
    Q_ASSERT(row >= 0 && row < 3);
    return {m[row][0], m[row][1], m[row][2]};
}

void HxMatrix3::setRow(int row, const HxVec3& v)
{
    Q_ASSERT(row >= 0 && row < 3);
    m[row][0] = v.x;
    m[row][1] = v.y;
    m[row][2] = v.z;
}

HxVec3 HxMatrix3::transform(const HxVec3& v) const
{
    return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0], v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
            v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]};
}

HxMatrix3 HxMatrix3::operator*(const HxMatrix3& other) const
{
    HxMatrix3 result;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                result.m[r][c] += m[r][k] * other.m[k][c];
    return result;
}

bool HxMatrix3::operator==(const HxMatrix3& other) const
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (m[r][c] != other.m[r][c])
                return false;
    return true;
}
