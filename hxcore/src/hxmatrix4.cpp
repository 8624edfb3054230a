#include "hxcore/hxmatrix4.h"

#include <QDebug>

#include <cmath>

HxMatrix4 HxMatrix4::identity()
{
    HxMatrix4 result;
    result.makeIdentity();
    return result;
}

HxMatrix4 HxMatrix4::translation(const HxVec3& offset)
{
    HxMatrix4 result = identity();
    result.setRow(3, offset);
    return result;
}

void HxMatrix4::makeIdentity()
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m[r][c] = r == c ? 1.0f : 0.0f;
}

void HxMatrix4::value(float out[16]) const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out[r * 4 + c] = m[r][c];
}

void HxMatrix4::setValue(const float in[16])
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m[r][c] = in[r * 4 + c];
}

void HxMatrix4::setRow(int row, const HxVec3& v)
{
    Q_ASSERT(row >= 0 && row < 4);
    m[row][0] = v.x;
    m[row][1] = v.y;
    m[row][2] = v.z;
}

HxVec3 HxMatrix4::row(int row) const
{
    Q_ASSERT(row >= 0 && row < 4);
    return {m[row][0], m[row][1], m[row][2]};
}

HxMatrix4 HxMatrix4::operator*(const HxMatrix4& other) const
{
    HxMatrix4 result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += m[r][k] * other.m[k][c];
            result.m[r][c] = sum;
        }
    }
    return result;
}

bool HxMatrix4::operator==(const HxMatrix4& other) const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != other.m[r][c])
                return false;
    return true;
}

HxVec3 HxMatrix4::transformPoint(const HxVec3& p) const
{
    return transformVector(p) + row(3);
}

HxVec3 HxMatrix4::transformVector(const HxVec3& v) const
{
    return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0], v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
            v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]};
}

HxMatrix4 HxMatrix4::transposed() const
{
    HxMatrix4 result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            result.m[r][c] = m[c][r];
    return result;
}

bool HxMatrix4::equals(const HxMatrix4& other, float tolerance) const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(m[r][c] - other.m[r][c]) <= tolerance))
                return false;
    return true;
}

bool HxMatrix4::isFinite() const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!std::isfinite(m[r][c]))
                return false;
    return true;
}

QDebug operator<<(QDebug debug, const HxMatrix4& matrix)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "HxMatrix4(";
    for (int r = 0; r < 4; ++r) {
        debug << (r ? "; " : "") << matrix.m[r][0] << ", " << matrix.m[r][1] << ", " << matrix.m[r][2] << ", "
              << matrix.m[r][3];
    }
    debug << ')';
    return debug;
}
