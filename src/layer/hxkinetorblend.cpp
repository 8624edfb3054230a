#include "layer/hxkinetorblend.h"

#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "model/hxkinetorpose.h"

#include "hxcore/hxmatrix4.h"
#include "hxcore/hxvec3.h"

#include <algorithm>
#include <climits>
#include <cmath>

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#include <immintrin.h>
#define HX_CAN_CLEAR_UPPER_HALVES 1
#endif

namespace {

// Unit vector from the first dot towards a dot, as the layout test and the
// line coordinates use it (a dot on the first dot gives the zero vector).
HxVec3 directionFromFirst(const std::vector<HxBlendDot>& dots, std::size_t index)
{
    HxVec3 v(dots[index].x - dots[0].x, dots[index].y - dots[0].y, 0.0f);
    v.normalize();
    return v;
}

std::vector<HxBlendDot> dotsOf(const QList<HxKinetorPose*>& poses)
{
    std::vector<HxBlendDot> dots;
    dots.reserve(std::size_t(poses.size()));
    for (const HxKinetorPose* pose : poses)
        dots.push_back({pose ? pose->getX() : 0.0f, pose ? pose->getY() : 0.0f});
    return dots;
}

#ifdef HX_CAN_CLEAR_UPPER_HALVES
__attribute__((target("avx"))) void zeroUpperHalves()
{
    _mm256_zeroupper();
}
#endif

// A matrix row as the vector type computes with it: float products and
// sums, lengths from squares summed in double.
struct Row
{
    float x, y, z;
};

inline Row cross(const Row& a, const Row& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline float dot(const Row& a, const Row& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline void normalize(Row& r)
{
    const double len = std::sqrt(double(r.x) * r.x + double(r.y) * r.y + double(r.z) * r.z);
    if (len > 0.0 && std::isfinite(len)) {
        r.x = float(r.x / len);
        r.y = float(r.y / len);
        r.z = float(r.z / len);
    }
}

inline Row average(const Row& a, const Row& b)
{
    return {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f};
}

} // namespace

void hxClearUpperVectorHalves()
{
#ifdef HX_CAN_CLEAR_UPPER_HALVES
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        zeroUpperHalves();
#endif
}

int hxTruncateCoordinate(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0f)
        return INT_MAX;
    if (value <= -2147483648.0f)
        return INT_MIN;
    return int(value);
}

double hxBlendLineCoordinate(const std::vector<HxBlendDot>& dots, float cursorX, float cursorY)
{
    const HxVec3 u = directionFromFirst(dots, 1);
    return double(HxVec3(cursorX - dots[0].x, cursorY - dots[0].y, 0.0f).dot(u));
}

void hxBlendCursorRow(const std::vector<HxBlendDot>& dots, float cursorX, float cursorY, bool collinear,
                      double tc, double* row)
{
    const std::size_t n = dots.size();
    for (std::size_t i = 0; i < n; ++i)
        row[i] = hxBlendDistance(cursorX, cursorY, dots[i].x, dots[i].y);
    row[n] = 1.0;
    if (collinear) {
        row[n + 1] = tc;
    } else {
        row[n + 1] = double(cursorX);
        row[n + 2] = double(cursorY);
    }
}

double hxBlendDistance(float ax, float ay, float bx, float by)
{
    double dx = double(hxTruncateCoordinate(bx)) - double(hxTruncateCoordinate(ax));
    double dy = double(hxTruncateCoordinate(by)) - double(hxTruncateCoordinate(ay));
    return std::sqrt(dx * dx + dy * dy);
}

void buildBlendSystem(const std::vector<HxBlendDot>& dots, float cursorX, float cursorY, HxKinetorMatrix& a,
                      bool& collinear, double& tc)
{
    collinear = true;
    const int n = int(dots.size());
    if (n < 2) {
        a = HxKinetorMatrix(0, 0);
        return;
    }

    const HxVec3 u = directionFromFirst(dots, 1);
    for (int i = 2; i < n; ++i) {
        float c = u.dot(directionFromFirst(dots, std::size_t(i)));
        if (1.0 - std::fabs(double(c)) > double(0.1f)) {
            collinear = false;
            break;
        }
    }

    const int m = collinear ? n + 2 : n + 3;
    a = HxKinetorMatrix(m, m);
    for (int i = 1; i <= n; ++i) {
        for (int j = 1; j <= n; ++j) {
            if (i != j)
                a(i, j) = hxBlendDistance(dots[std::size_t(i - 1)].x, dots[std::size_t(i - 1)].y,
                                          dots[std::size_t(j - 1)].x, dots[std::size_t(j - 1)].y);
        }
        a(i, n + 1) = a(n + 1, i) = 1.0;
    }

    if (collinear) {
        tc = hxBlendLineCoordinate(dots, cursorX, cursorY);
        for (int i = 2; i <= n; ++i) {
            const HxBlendDot& p = dots[std::size_t(i - 1)];
            double t = double(HxVec3(p.x - dots[0].x, p.y - dots[0].y, 0.0f).dot(u));
            a(i, n + 2) = a(n + 2, i) = t;
        }
    } else {
        for (int i = 1; i <= n; ++i) {
            const HxBlendDot& p = dots[std::size_t(i - 1)];
            a(i, n + 2) = a(n + 2, i) = double(p.x);
            a(i, n + 3) = a(n + 3, i) = double(p.y);
        }
    }
}

HxBlendFactors factorBlendSystem(const HxKinetorMatrix& system)
{
    HxBlendFactors f;
    const int m = system.rows();
    if (m <= 0 || system.cols() != m)
        return f;
    f.m = m;
    HxKinetorMatrix a = system;

    // Row i of a (1-based) starts at row(i). Rows are never moved, only
    // their places in the index vector l; each row keeps its multipliers
    // left of the diagonal.
    double* ad = a.data();
    auto row = [&](int i) {
        return ad + std::size_t(i - 1) * std::size_t(m) - 1;
    };
    std::vector<int> l(std::size_t(m) + 1);
    std::vector<double> s(std::size_t(m) + 1);
    double sign = 1.0;
    for (int i = 1; i <= m; ++i) {
        l[std::size_t(i)] = i;
        double largest = 0.0;
        const double* r = row(i);
        for (int j = 1; j <= m; ++j)
            largest = std::max(largest, std::fabs(r[j]));
        s[std::size_t(i)] = largest;
    }

    for (int k = 1; k < m; ++k) {
        int p = k;
        double best = 0.0;
        for (int i = k; i <= m; ++i) {
            int li = l[std::size_t(i)];
            double ratio = std::fabs(row(li)[k]) / s[std::size_t(li)];
            if (ratio > best) {
                best = ratio;
                p = i;
            }
        }
        if (p != k) {
            std::swap(l[std::size_t(p)], l[std::size_t(k)]);
            sign = -sign;
        }
        const double* pivotRow = row(l[std::size_t(k)]);
        const double pivot = pivotRow[k];
        for (int i = k + 1; i <= m; ++i) {
            double* r = row(l[std::size_t(i)]);
            double factor = r[k] / pivot;
            for (int j = k + 1; j <= m; ++j)
                r[j] -= factor * pivotRow[j];
            r[k] = factor;
        }
    }

    f.determinant = sign;
    f.order.resize(std::size_t(m));
    f.rows.resize(std::size_t(m) * std::size_t(m));
    for (int i = 1; i <= m; ++i) {
        const double* r = row(l[std::size_t(i)]);
        f.determinant *= r[i];
        f.order[std::size_t(i - 1)] = l[std::size_t(i)] - 1;
        std::copy(r + 1, r + 1 + m, f.rows.begin() + std::ptrdiff_t(i - 1) * m);
    }
    return f;
}

void solveFactored(const HxBlendFactors& f, const double* b, double* x)
{
    // Forward, then back substitution, each row summed in column order:
    // the same operations, in the same order, as eliminating b beside the
    // matrix, so a solve through stored factors matches a fresh one exactly.
    const int m = f.m;
    for (int i = 0; i < m; ++i) {
        const double* r = f.rows.data() + std::size_t(i) * std::size_t(m);
        double sum = b[f.order[std::size_t(i)]];
        for (int k = 0; k < i; ++k)
            sum -= r[k] * x[k];
        x[i] = sum;
    }
    for (int i = m - 1; i >= 0; --i) {
        const double* r = f.rows.data() + std::size_t(i) * std::size_t(m);
        double sum = x[i];
        for (int j = i + 1; j < m; ++j)
            sum -= r[j] * x[j];
        x[i] = sum / r[i];
    }
}

double solveLinearSystem(HxKinetorMatrix a, HxKinetorMatrix b, HxKinetorMatrix& x)
{
    const int m = a.rows();
    if (m <= 0 || a.cols() != m || b.rows() < m || b.cols() < 1)
        return 0.0;
    if (x.rows() < m || x.cols() < 1)
        x = HxKinetorMatrix(m, 1);
    const HxBlendFactors f = factorBlendSystem(a);
    std::vector<double> rhs(static_cast<std::size_t>(m));
    std::vector<double> solution(static_cast<std::size_t>(m));
    for (int i = 1; i <= m; ++i)
        rhs[std::size_t(i - 1)] = b(i, 1);
    solveFactored(f, rhs.data(), solution.data());
    for (int i = 1; i <= m; ++i)
        x(i, 1) = solution[std::size_t(i - 1)];
    return f.determinant;
}

double evaluateBlend(const HxKinetorMatrix& a, const HxKinetorMatrix& b, HxKinetorMatrix& x,
                     const std::vector<HxBlendDot>& dots, float cursorX, float cursorY, bool collinear,
                     double tc)
{
    const int n = int(dots.size());
    const int m = a.rows();
    if (n < 2 || m != (collinear ? n + 2 : n + 3))
        return 0.0;
    solveLinearSystem(a, b, x);

    std::vector<double> k(static_cast<std::size_t>(m));
    hxBlendCursorRow(dots, cursorX, cursorY, collinear, tc, k.data());
    double value = 0.0;
    for (int i = 1; i <= n; ++i)
        value += x(i, 1) * k[std::size_t(i - 1)];
    value += x(n + 1, 1);
    if (collinear)
        value += x(n + 2, 1) * tc;
    else
        value += x(n + 2, 1) * double(cursorX) + x(n + 3, 1) * double(cursorY);
    return value;
}

bool computeBlendWeights(const HxKinetorMatrix& a, const std::vector<HxBlendDot>& dots, float cursorX,
                         float cursorY, bool collinear, double tc, std::vector<double>& weights)
{
    const int n = int(dots.size());
    const int m = a.rows();
    if (n < 2 || m != (collinear ? n + 2 : n + 3))
        return false;

    // value = k . x with a x = b, so value = (a^-T k) . b; a is symmetric,
    // so w = a^-1 k, and the polynomial rows of b are zero.
    HxKinetorMatrix k(m, 1);
    hxBlendCursorRow(dots, cursorX, cursorY, collinear, tc, k.data());
    HxKinetorMatrix w(m, 1);
    solveLinearSystem(a, k, w);

    weights.resize(std::size_t(n));
    for (int i = 1; i <= n; ++i) {
        double weight = w(i, 1);
        if (!std::isfinite(weight))
            return false;
        weights[std::size_t(i - 1)] = weight;
    }
    return true;
}

void buildBlendSystem(const HxKinetorLayer* layer, const QList<HxKinetorPose*>& poses, HxKinetorMatrix& a,
                      bool& collinear, double& tc)
{
    const HxPointControl* cursor = layer ? layer->getCursor() : nullptr;
    buildBlendSystem(dotsOf(poses), cursor ? cursor->x() : 0.0f, cursor ? cursor->y() : 0.0f, a, collinear,
                     tc);
}

double evaluateBlend(const HxKinetorMatrix& a, const HxKinetorMatrix& b, HxKinetorMatrix& x,
                     const HxKinetorLayer* layer, const QList<HxKinetorPose*>& poses, bool collinear,
                     double tc)
{
    const HxPointControl* cursor = layer ? layer->getCursor() : nullptr;
    return evaluateBlend(a, b, x, dotsOf(poses), cursor ? cursor->x() : 0.0f, cursor ? cursor->y() : 0.0f,
                         collinear, tc);
}

void hxOrthonormalizeRotation(HxMatrix4& matrix)
{
    HxMatrix4* one = &matrix;
    hxOrthonormalizeRotations(&one, 1);
}

void hxOrthonormalizeRotations(HxMatrix4* const* matrices, int count)
{
    // Four matrices side by side, so that the square roots and divisions of
    // one overlap those of the others instead of waiting for each other.
    // Every lane computes exactly what the one-matrix passes would; a lane
    // that has converged keeps its rows while the others go on.
    constexpr int L = 4;
    for (int first = 0; first < count; first += L) {
        const int lanes = std::min(L, count - first);
        float r[3][3][L] = {}; // row, component, lane
        bool done[L] = {};
        for (int l = 0; l < L; ++l) {
            done[l] = l >= lanes;
            for (int row = 0; row < 3 && !done[l]; ++row)
                for (int c = 0; c < 3; ++c)
                    r[row][c][l] = matrices[first + l]->m[row][c];
        }
        for (int pass = 0; pass < 10; ++pass) {
            bool all = true;
            for (int l = 0; l < L; ++l) {
                if (done[l])
                    continue;
                Row x{r[0][0][l], r[0][1][l], r[0][2][l]};
                Row y{r[1][0][l], r[1][1][l], r[1][2][l]};
                Row z{r[2][0][l], r[2][1][l], r[2][2][l]};
                Row xp = cross(y, z);
                Row yp = cross(z, x);
                Row zp = cross(x, y);
                normalize(xp);
                normalize(yp);
                normalize(zp);
                x = average(x, xp);
                y = average(y, yp);
                z = average(z, zp);
                normalize(x);
                normalize(y);
                normalize(z);
                for (const auto& [row, v] : {std::pair{0, x}, {1, y}, {2, z}}) {
                    r[row][0][l] = v.x;
                    r[row][1][l] = v.y;
                    r[row][2][l] = v.z;
                }
                const float xy = dot(x, y);
                const float yz = dot(y, z);
                const float zx = dot(z, x);
                done[l] = xy * xy + yz * yz + zx * zx < 1e-6f;
                all = all && done[l];
            }
            if (all)
                break;
        }
        for (int l = 0; l < lanes; ++l)
            for (int row = 0; row < 3; ++row)
                for (int c = 0; c < 3; ++c)
                    matrices[first + l]->m[row][c] = r[row][c][l];
    }
}
